// The skip/delete-list pattern language and the list look-ups.

#include <QTest>

#include "engine/Wildcard.h"
#include "support/Fakes.h"

class TestWildcard : public QObject
{
    Q_OBJECT

private slots:
    void matches_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("expected");

        QTest::newRow("star name") << "/rel/CD1/Sample"
                                   << "*Sample" << true;
        QTest::newRow("star name, case counts") << "/rel/CD1/sample"
                                                << "*Sample" << false;
        QTest::newRow("star name, longer name") << "/rel/Sample2"
                                                << "*Sample" << false;
        QTest::newRow("star slash name") << "/rel/Sample"
                                         << "*/Sample" << true;
        QTest::newRow("star slash name, other name") << "/rel/XSample"
                                                     << "*/Sample" << false;
        QTest::newRow("bare name never matches a full path") << "/rel/Sample"
                                                             << "Sample" << false;
        QTest::newRow("literal equal") << "/rel/Sample"
                                       << "/rel/Sample" << true;
        QTest::newRow("literal longer path") << "/rel/Sample/x"
                                             << "/rel/Sample" << false;
        QTest::newRow("prefix star, itself") << "abc"
                                             << "abc*" << true;
        QTest::newRow("prefix star, longer") << "abcdef"
                                             << "abc*" << true;
        QTest::newRow("prefix star, other") << "abd"
                                            << "abc*" << false;
        QTest::newRow("hash digit") << "CD1"
                                    << "CD#" << true;
        QTest::newRow("hash two digits") << "CD12"
                                         << "CD#" << false;
        QTest::newRow("hash letter") << "CDx"
                                     << "CD#" << false;
        QTest::newRow("hash nothing left") << "CD"
                                           << "CD#" << false;
        QTest::newRow("question digit") << "CD1"
                                        << "CD?" << true;
        QTest::newRow("question letter") << "CDx"
                                         << "CD?" << true;
        QTest::newRow("question two") << "CD12"
                                      << "CD?" << false;
        QTest::newRow("question nothing left") << "CD"
                                               << "CD?" << false;
        QTest::newRow("question then literal") << "CD1.nfo"
                                               << "CD?.nfo" << true;
        QTest::newRow("question then wrong literal") << "CD1.txt"
                                                     << "CD?.nfo" << false;
        QTest::newRow("hash inside") << "/rel/CD2/Sample"
                                     << "*/CD#/*" << true;
        QTest::newRow("star later occurrence") << "/a/Sub/x/Sub/y"
                                               << "*/Sub/y" << true;
        QTest::newRow("star between runs tries later occurrence") << "/r/Subs/x/Subs/1"
                                                                  << "*/Subs/#" << true;
        QTest::newRow("star between runs, hash after later occurrence") << "/CDx/CD3/a"
                                                                        << "*/CD#/a" << true;
        QTest::newRow("star between runs, no later occurrence") << "/CDx/a"
                                                                << "*/CD#/a" << false;
        QTest::newRow("star run must end the path") << "/rel/Sample/x"
                                                    << "*/Sample" << false;
        QTest::newRow("star only, any path") << "/x"
                                             << "*" << true;
        QTest::newRow("star only, empty path") << ""
                                               << "*" << false;
        QTest::newRow("empty pattern") << "/x"
                                       << "" << false;
        QTest::newRow("two stars never match") << "/rel/Sample"
                                               << "**Sample" << false;
        QTest::newRow("star question never match") << "/rel/Sample"
                                                   << "*?ample" << false;
        QTest::newRow("question star never match") << "/rel/Sample"
                                                   << "/rel/S?*" << false;
        QTest::newRow("hash hash never match") << "CD12"
                                               << "CD##" << false;
        QTest::newRow("trailing star after question") << "CD1/x"
                                                      << "CD?/*" << true;
        QTest::newRow("backslash is a plain character") << "/rel/a\\b"
                                                        << "*a\\b" << true;
        QTest::newRow("dot is a plain character") << "/rel/axb"
                                                  << "*a.b" << false;
        QTest::newRow("path shorter than final run") << "ple"
                                                     << "*Sample" << false;
        QTest::newRow("doubled separator, full path pattern") << "/rel//Sample"
                                                              << "/rel/Sample" << false;
        QTest::newRow("doubled separator, star pattern") << "/rel//Sample"
                                                         << "*/Sample" << true;
        QTest::newRow("doubled separator, spelled-out full path with star") << "/rel//Sample"
                                                                            << "/rel/S*" << false;
    }
    void matches()
    {
        QFETCH(QString, path);
        QFETCH(QString, pattern);
        QFETCH(bool, expected);
        QCOMPARE(MatchesWildcard(path, pattern), expected);
    }

    // Many stars against a long path that almost matches must still answer at once.
    void manyStarsStayFast()
    {
        const QString path = QString(3000, QLatin1Char('a'));
        QVERIFY(!MatchesWildcard(path, QStringLiteral("*a*a*a*a*a*a*a*a*a*a*b")));
        QVERIFY(MatchesWildcard(path + QLatin1Char('b'), QStringLiteral("*a*a*a*a*a*a*a*b")));
    }

    void skipListLogsFirstHit()
    {
        TestContext t;
        t.settings.setSkipList(
            {QStringLiteral("*/Subs"), QStringLiteral("*Subs"), QStringLiteral("*/Sample")});
        QVERIFY(IsInSkipList(t.context, QStringLiteral("/rel/Subs")));
        QCOMPARE(t.log.messages(), QStringList{QStringLiteral(
                                       "[UNPACK ] Skipping /rel/Subs (skip list entry */Subs)")});
        QVERIFY(!IsInSkipList(t.context, QStringLiteral("/rel/Proof")));
        QCOMPARE(t.log.lines.size(), 1);
    }

    void emptyListsMatchNothing()
    {
        TestContext t;
        QVERIFY(!IsInSkipList(t.context, QStringLiteral("/rel/Sample")));
        QVERIFY(!IsInDeleteList(t.context, QStringLiteral("/rel/Sample")));
        QVERIFY(t.log.lines.isEmpty());
    }

    void deleteListWritesNothing()
    {
        TestContext t;
        t.settings.setDeleteList({QStringLiteral("*/Proof"), QStringLiteral("*/Sample")});
        QVERIFY(IsInDeleteList(t.context, QStringLiteral("/rel/Sample")));
        QVERIFY(!IsInDeleteList(t.context, QStringLiteral("/rel/sample")));
        QVERIFY(t.log.lines.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestWildcard)
#include "tst_wildcard.moc"
