#pragma once

// What the two folder fields hold, looked at before any work: whether the source can be read
// and the destination written (or made), in words the dialog shows beside the field, in its
// messages and to assistive technology.

#include <QCoreApplication>
#include <QString>

namespace tunvale::ui {

// A folder as typed or pasted, made usable: surrounding spaces dropped, "~" and "~/..." the
// home folder, a file:// address its local path, a relative path taken from the current
// folder. Empty stays empty.
QString cleanFolderText(const QString &typed);

enum class FolderState {
    Empty,
    Folder,          // an existing folder the run can use
    Missing,         // source: nothing has that name
    NotAFolder,      // a file (or anything but a folder) has that name
    Unreadable,      // source: a folder whose entries cannot be listed
    NotWritable,     // destination: a folder nothing can be written into
    WillBeCreated,   // destination: missing, and its nearest existing parent folder can take it
    CannotBeCreated, // destination: missing, and a file or a folder that cannot be written is in the way
};

struct FolderCheck {
    FolderState state = FolderState::Empty;
    QString path;    // the folder looked at
    QString blocker; // CannotBeCreated: the entry in the way
    bool blockerIsFile = false;
    bool readOnlyDisk = false; // NotWritable, CannotBeCreated: the disk takes no writing at all
    QString reason;            // Unreadable: the system's reason
};

// The checks of the two fields; path is already cleaned.
FolderCheck checkSource(const QString &path);
FolderCheck checkDestination(const QString &path);

// Source and destination that overlap: a destination inside the source (or the source itself)
// receives copies that a later run from that source would copy again.
enum class FolderOverlap { None, Same, DestinationInsideSource };
FolderOverlap folderOverlap(const QString &source, const QString &destination);

// A destination proposed for a source at first start: a sibling folder "<name> (organized)",
// neither the source nor inside it; empty when the source has no parent that can take one (a
// home folder, the top of a disk).
QString proposedDestination(const QString &source);

// The words of the checks.
class FolderTexts {
    Q_DECLARE_TR_FUNCTIONS(FolderTexts)
public:
    // The state shown beside a field, short ("Will be created", "Not a folder"); empty when
    // the folder can be used as it is.
    static QString sourceState(const FolderCheck &check);
    static QString destinationState(const FolderCheck &check, FolderOverlap overlap);
    // Why a run cannot use the folder, naming the path and the cause; empty when it can, and
    // for an empty field (the run's own message says that).
    static QString sourceProblem(const FolderCheck &check);
    static QString destinationProblem(const FolderCheck &check);
    // The question Organize asks before writing into the source, and what Preview says of it;
    // empty without an overlap.
    static QString overlapQuestion(FolderOverlap overlap, const QString &source, const QString &destination);
    static QString overlapWarning(FolderOverlap overlap, const QString &source, const QString &destination);
};

} // namespace tunvale::ui
