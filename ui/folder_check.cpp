#include "ui/folder_check.h"

#include "engine/session/path_text.h"
#include "ui/engine_texts.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <QUrl>

#include <filesystem>
#include <system_error>

namespace tunvale::ui {

namespace fs = std::filesystem;

namespace {

fs::path pathOf(const QString &text) { return engine::pathFromUtf16(text.toStdU16String()); }

QString shown(const QString &path) { return QDir::toNativeSeparators(path); }

bool onReadOnlyDisk(const QString &path)
{
    const QStorageInfo storage(path);
    return storage.isValid() && storage.isReadOnly();
}

// The nearest entry on the way up from path that exists, or empty.
QString nearestExisting(const QString &path)
{
    QString at = QDir::cleanPath(path);
    while (!at.isEmpty() && !QFileInfo::exists(at)) {
        const QString up = QFileInfo(at).path();
        if (up == at || up == QStringLiteral("."))
            return {};
        at = up;
    }
    return at;
}

// The engine's refusal texts keep their words; the dialog translates them like the others.
QString engineText(const char *text) { return EngineTexts::translate(QString::fromUtf8(text)); }

QString withDetail(const QString &first, const QString &detail) { return first + QStringLiteral("\n\n") + detail; }

// Why a folder takes no writing, in plain words.
QString notWritableReason(bool readOnlyDisk)
{
    return readOnlyDisk ? FolderTexts::tr("the disk is read-only") : FolderTexts::tr("permission denied");
}

} // namespace

QString cleanFolderText(const QString &typed)
{
    QString text = typed.trimmed();
    if (text.isEmpty())
        return text;
    if (text.startsWith(QStringLiteral("file://"), Qt::CaseInsensitive)) {
        const QUrl url(text);
        if (url.isLocalFile())
            text = url.toLocalFile();
    }
    if (text == QStringLiteral("~"))
        text = QDir::homePath();
    else if (text.startsWith(QStringLiteral("~/")))
        text = QDir::homePath() + text.mid(1);
    if (QDir::isRelativePath(text))
        text = QDir::current().absoluteFilePath(text);
    return shown(QDir::cleanPath(text));
}

FolderCheck checkSource(const QString &path)
{
    FolderCheck check;
    check.path = path;
    if (path.isEmpty())
        return check;
    const QFileInfo info(path);
    if (!info.exists()) {
        check.state = info.isSymLink() ? FolderState::NotAFolder : FolderState::Missing;
        return check;
    }
    if (!info.isDir()) {
        check.state = FolderState::NotAFolder;
        return check;
    }
    std::error_code ec;
    fs::directory_iterator listing(pathOf(path), ec);
    if (ec) {
        check.state = FolderState::Unreadable;
        check.reason = ec == std::errc::permission_denied ? FolderTexts::tr("permission denied")
                                                          : QString::fromLocal8Bit(ec.message().c_str());
        return check;
    }
    check.state = FolderState::Folder;
    return check;
}

FolderCheck checkDestination(const QString &path)
{
    FolderCheck check;
    check.path = path;
    if (path.isEmpty())
        return check;
    const QFileInfo info(path);
    if (info.exists() || info.isSymLink()) {
        if (!info.isDir()) {
            check.state = FolderState::NotAFolder;
        } else if (!info.isWritable()) {
            check.state = FolderState::NotWritable;
            check.readOnlyDisk = onReadOnlyDisk(path);
        } else {
            check.state = FolderState::Folder;
        }
        return check;
    }
    const QString existing = nearestExisting(path);
    const QFileInfo parent(existing);
    check.state = FolderState::CannotBeCreated;
    check.blocker = existing;
    if (existing.isEmpty()) {
        check.blocker = path;
    } else if (!parent.isDir()) {
        check.blockerIsFile = true;
    } else if (!parent.isWritable()) {
        check.readOnlyDisk = onReadOnlyDisk(existing);
    } else {
        check.state = FolderState::WillBeCreated;
        check.blocker.clear();
    }
    return check;
}

FolderOverlap folderOverlap(const QString &source, const QString &destination)
{
    if (source.isEmpty() || destination.isEmpty())
        return FolderOverlap::None;
    // Links resolved, so that two names of one folder are seen as one.
    std::error_code ec;
    const fs::path from = fs::weakly_canonical(pathOf(source), ec);
    if (ec)
        return FolderOverlap::None;
    const fs::path to = fs::weakly_canonical(pathOf(destination), ec);
    if (ec)
        return FolderOverlap::None;
    if (to == from)
        return FolderOverlap::Same;
    const fs::path relative = to.lexically_relative(from);
    if (!relative.empty() && *relative.begin() != ".." && relative != ".")
        return FolderOverlap::DestinationInsideSource;
    return FolderOverlap::None;
}

QString proposedDestination(const QString &source)
{
    if (source.isEmpty())
        return {};
    const QString folder = QDir::cleanPath(source);
    const QFileInfo info(folder);
    const QString parent = info.path();
    // The home folder's parent (/home, C:\Users) holds other users' folders; the top of a disk
    // has no parent.
    if (info.fileName().isEmpty() || parent == folder || folder == QDir::cleanPath(QDir::homePath()))
        return {};
    if (!QFileInfo(parent).isDir() || !QFileInfo(parent).isWritable())
        return {};
    return shown(QDir(parent).filePath(FolderTexts::tr("%1 (organized)").arg(info.fileName())));
}

QString FolderTexts::sourceState(const FolderCheck &check)
{
    switch (check.state) {
    case FolderState::Missing:
        return tr("Not found");
    case FolderState::NotAFolder:
        return tr("Not a folder");
    case FolderState::Unreadable:
        return tr("Cannot be read");
    default:
        return {};
    }
}

QString FolderTexts::destinationState(const FolderCheck &check, FolderOverlap overlap)
{
    switch (check.state) {
    case FolderState::NotAFolder:
        return tr("Not a folder");
    case FolderState::NotWritable:
        return check.readOnlyDisk ? tr("Read-only disk") : tr("Cannot be written");
    case FolderState::CannotBeCreated:
        return tr("Cannot be created");
    default:
        break;
    }
    switch (overlap) {
    case FolderOverlap::Same:
        return tr("Same as the source");
    case FolderOverlap::DestinationInsideSource:
        return tr("Inside the source");
    case FolderOverlap::None:
        break;
    }
    return check.state == FolderState::WillBeCreated ? tr("Will be created") : QString();
}

QString FolderTexts::sourceProblem(const FolderCheck &check)
{
    switch (check.state) {
    case FolderState::Missing:
        return withDetail(engineText("Sorry, the source Folder doesn't exist!"),
                          tr("\"%1\" does not exist.").arg(shown(check.path)));
    case FolderState::NotAFolder:
        return withDetail(engineText("Please define a valid Source folder"),
                          tr("\"%1\" is a file, not a folder.").arg(shown(check.path)));
    case FolderState::Unreadable:
        return withDetail(engineText("Please define a valid Source folder"),
                          tr("The folder \"%1\" cannot be read: %2.").arg(shown(check.path), check.reason));
    default:
        return {};
    }
}

QString FolderTexts::destinationProblem(const FolderCheck &check)
{
    const QString first = engineText("Please define a valid Destination folder");
    switch (check.state) {
    case FolderState::NotAFolder:
        return withDetail(first, tr("\"%1\" is a file, not a folder.").arg(shown(check.path)));
    case FolderState::NotWritable:
        return withDetail(first,
                          tr("Nothing can be written into \"%1\": %2.")
                              .arg(shown(check.path), notWritableReason(check.readOnlyDisk)));
    case FolderState::CannotBeCreated:
        if (check.blockerIsFile)
            return withDetail(first,
                              tr("\"%1\" cannot be created: \"%2\" is a file, not a folder.")
                                  .arg(shown(check.path), shown(check.blocker)));
        return withDetail(first,
                          tr("\"%1\" cannot be created: nothing can be written into \"%2\": %3.")
                              .arg(shown(check.path), shown(check.blocker), notWritableReason(check.readOnlyDisk)));
    default:
        return {};
    }
}

QString FolderTexts::overlapWarning(FolderOverlap overlap, const QString &source, const QString &destination)
{
    switch (overlap) {
    case FolderOverlap::Same:
        return tr("The destination folder is the source folder \"%1\": the copies would be put among the files "
                  "they are made from, and every later run would copy them again.")
            .arg(shown(source));
    case FolderOverlap::DestinationInsideSource:
        return tr("The destination folder \"%1\" is inside the source folder \"%2\": a later run from this source "
                  "into another folder would copy these copies again.")
            .arg(shown(destination), shown(source));
    case FolderOverlap::None:
        break;
    }
    return {};
}

QString FolderTexts::overlapQuestion(FolderOverlap overlap, const QString &source, const QString &destination)
{
    const QString warning = overlapWarning(overlap, source, destination);
    if (warning.isEmpty())
        return {};
    return warning + QStringLiteral("\n\n") + tr("Organize into it anyway?");
}

} // namespace tunvale::ui
