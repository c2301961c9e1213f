// Tevo: turns downloaded release folders into their usable contents.

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    return 0;
}
