#pragma once
// Every language text number Tevo uses, in one list: text n is line n of the language file.

#include <cstddef>
#include <iterator>

// Each text once, by name and number. Captions of the main window's controls are the numbers
// InitGUILanguage lists (0 to 89 and a few since); the ones that code also names are here.
#define TEVO_TEXT_NUMBERS(X)                                                                       \
    /* Captions that code names. */                                                                \
    X(WatchButtonCaption, 1)                                                                       \
    X(WatchIntervalUnit, 59)                                                                       \
    /* RAR extraction. */                                                                          \
    X(VolumeMissing, 90)                                                                           \
    X(NoMemory, 91)                                                                                \
    X(BadData, 92)                                                                                 \
    X(BadArchive, 93)                                                                              \
    X(CannotOpen, 94)                                                                              \
    X(ArchiveNotOpened, 95)                                                                        \
    X(ReadOnlyTarget, 96)                                                                          \
    X(CrcError, 97)                                                                                \
    X(CloseFailed, 98)                                                                             \
    /* Closing, browsing and adding input folders. */                                              \
    X(CloseWhileRunning, 99)                                                                       \
    X(ChooseInputFolder, 100)                                                                      \
    /* SFV verification. */                                                                        \
    X(ListedFileMissing, 101)                                                                      \
    X(EntryOk, 102)                                                                                \
    X(EntryDamaged, 103)                                                                           \
    X(CheckedIn, 104)                                                                              \
    X(SfvSummary, 105)                                                                             \
    /* Deletion, the skip list and the recycler. */                                                \
    X(RemovingEmptyFolder, 106)                                                                    \
    X(DeletingFolder, 107)                                                                         \
    X(FolderDeleted, 108)                                                                          \
    X(FolderNotDeleted, 109)                                                                       \
    X(SkipListHit, 110)                                                                            \
    X(RecyclerLeftAlone, 111)                                                                      \
    /* The release unpack pipeline. */                                                             \
    X(ZipPhase, 112)                                                                               \
    X(ZipNotDeleted, 113)                                                                          \
    X(ZipsHandled, 114)                                                                            \
    X(PartStyleFound, 115)                                                                         \
    X(ArchivesFound, 116)                                                                          \
    X(NfoFound, 117)                                                                               \
    X(SfvFound, 118)                                                                               \
    X(SfvChecking, 119)                                                                            \
    X(SfvFailed, 120)                                                                              \
    X(NoSfv, 121)                                                                                  \
    X(CopyingNfo, 122)                                                                             \
    X(Extracting, 123)                                                                             \
    X(SetFileNotDeleted, 124)                                                                      \
    X(SetFilesDeleted, 125)                                                                        \
    X(ArchivesUnpacked, 126)                                                                       \
    X(ConfirmDeleteAll, 127)                                                                       \
    X(AllFileNotDeleted, 128)                                                                      \
    X(AllFilesDeleted, 129)                                                                        \
    X(ExtractionFailedNote, 130)                                                                   \
    X(FolderDone, 131)                                                                             \
    /* The Unpack, Stop and Pause commands, start-up, option sets, the queue. */                   \
    X(JobStarted, 132)                                                                             \
    X(JobTime, 133)                                                                                \
    X(JobFinished, 134)                                                                            \
    X(ChooseOutputFolder, 135)                                                                     \
    X(SoundUnavailable, 136)                                                                       \
    X(Started, 137)                                                                                \
    X(ChooseQueueFolder, 138)                                                                      \
    X(OptionsSaved, 139)                                                                           \
    X(OptionsLoaded, 140)                                                                          \
    X(StopPendingCaption, 141)                                                                     \
    X(StopPendingNotice, 142)                                                                      \
    X(StopCaption, 143)                                                                            \
    X(StopCancelledNotice, 144)                                                                    \
    X(Pausing, 145)                                                                                \
    X(PausedCaption, 146)                                                                          \
    X(Resuming, 147)                                                                               \
    X(PauseCaption, 148)                                                                           \
    X(ChooseParentFolder, 149)                                                                     \
    X(SoundPlaying, 150)                                                                           \
    X(SoundIdle, 151)                                                                              \
    /* Watch mode and the lists. */                                                                \
    X(IntervalNotANumber, 153)                                                                     \
    X(WatchingCaption, 154)                                                                        \
    X(WatchCaption, 155)                                                                           \
    X(PatternPrompt, 156)                                                                          \
    X(SelectEntryFirst, 157)                                                                       \
    /* Extraction failures (RAR and ZIP). */                                                       \
    X(EntryFailed, 162)                                                                            \
    X(VolumeNotOpened, 163)                                                                        \
    X(WriteFailed, 164)                                                                            \
    X(ReadFailed, 165)                                                                             \
    X(CreateFailed, 166)                                                                           \
    X(Encrypted, 167)                                                                              \
    X(Aborted, 168)                                                                                \
    X(LibraryError, 169)                                                                           \
    X(OutsideDestination, 170)                                                                     \
    X(LinkSkipped, 171)                                                                            \
    X(PathTooLong, 172)                                                                            \
    X(ArchiveOpenFailed, 173)                                                                      \
    X(ZipFailed, 174)                                                                              \
    X(ZipEntryFailed, 175)                                                                         \
    X(NotAZip, 176)                                                                                \
    X(ZipCancelled, 177)                                                                           \
    X(UnusableName, 178)                                                                           \
    X(DataDamaged, 179)                                                                            \
    X(ZipKept, 180)                                                                                \
    X(WatchNeedsDeleteFiles, 181)                                                                  \
    X(NoInputFolder, 182)                                                                          \
    X(CandidateGone, 183)                                                                          \
    X(NoCustomOutput, 184)                                                                         \
    X(EntryOutsideFolder, 185)                                                                     \
    X(SfvTooLarge, 186)                                                                            \
    X(MissingFiles, 187)                                                                           \
    X(FolderMissing, 188)                                                                          \
    X(NotifyCaption, 189)                                                                          \
    X(NothingFailed, 190)                                                                          \
    X(SomeFailed, 191)                                                                             \
    X(LogFileCaption, 192)                                                                         \
    /* Set plans. */                                                                               \
    X(PlanVolumeMissing, 200)                                                                      \
    X(VolumeUnreadable, 201)                                                                       \
    X(CutShort, 202)                                                                               \
    X(SetContinues, 203)                                                                           \
    X(VolumesNotRead, 204)                                                                         \
    X(SetIncomplete, 205)                                                                          \
    X(SetNotCompleteYet, 206)                                                                      \
    X(OverwritesThisJob, 207)                                                                      \
    X(ReplacesDifferent, 208)                                                                      \
    X(NoRoom, 209)                                                                                 \
    X(SizeMismatch, 210)                                                                           \
    X(NoEntries, 211)                                                                              \
    X(DifferentFileThere, 212)                                                                     \
    X(NameClash, 213)                                                                              \
    X(SfvKept, 214)                                                                                \
    X(Closing, 215)                                                                                \
    X(LinkLeftOut, 216)                                                                            \
    X(EntriesLeftOut, 217)                                                                         \
    X(NoFiles, 218)                                                                                \
    /* Repair with PAR2 files, the priority, the SFV verdict. */                                   \
    X(Repairing, 219)                                                                              \
    X(Repaired, 220)                                                                               \
    X(NotRepairable, 221)                                                                          \
    X(NoPar2, 222)                                                                                 \
    X(RepairStopped, 223)                                                                          \
    X(Par2Caption, 224)                                                                            \
    X(PriorityRefused, 225)                                                                        \
    X(SetNotChecked, 226)                                                                          \
    /* Names restored, archives found by content. */                                               \
    X(RenamedByPar2, 227)                                                                          \
    X(TakenByContent, 228)                                                                         \
    X(RenamedBySfv, 229)                                                                           \
    X(RenamedByHeaders, 230)                                                                       \
    X(NotRenamed, 231)                                                                             \
    X(ArchivesInNoSet, 232)                                                                        \
    /* The queue's folders. */                                                                     \
    X(FolderStarts, 233)                                                                           \
    X(FolderNothingFailed, 234)                                                                    \
    X(FolderSomeFailed, 235)                                                                       \
    X(OtherFormatsCaption, 236)                                                                    \
    X(NestedCaption, 237)                                                                          \
    X(NestedFound, 238)                                                                            \
    X(PasswordListCaption, 239)                                                                    \
    X(NoPasswordFits, 240)                                                                         \
    X(PasswordListUnreadable, 241)

namespace Text {
#define TEVO_TEXT_ENUM(name, number) name = number,
enum : int { TEVO_TEXT_NUMBERS(TEVO_TEXT_ENUM) };
#undef TEVO_TEXT_ENUM

// The captions InitGUILanguage puts on the controls: 0 to LastCaption, and these since.
inline constexpr int LastCaption = 89;
inline constexpr int LaterCaptions[] = {158, 159, 160, 161};

// Every number of the list, in its order.
#define TEVO_TEXT_VALUE(name, number) number,
inline constexpr int All[] = {TEVO_TEXT_NUMBERS(TEVO_TEXT_VALUE)};
#undef TEVO_TEXT_VALUE

constexpr bool eachOnce()
{
    for (std::size_t i = 0; i < std::size(All); ++i) {
        for (std::size_t j = i + 1; j < std::size(All); ++j) {
            if (All[i] == All[j])
                return false;
        }
    }
    return true;
}
static_assert(eachOnce(), "a language text number is declared twice");
} // namespace Text
