#include "VaultFile.h"

#include "FileSystem.h"
#include "LargeMemory.h"
#include "VaultFormat.h"
#include "Wipe.h"
#include "xfileExists.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <memory>
#include <optional>
#include <new>

using namespace Qt::StringLiterals;
namespace FileSystem = platform::FileSystem;

namespace {

constexpr QFileDevice::Permissions OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions SharedBits = QFileDevice::ReadGroup | QFileDevice::WriteGroup
        | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

const QString TheVaultFile = u"the vault file"_s;
// New files are written under the name they will have plus this, then renamed.
const QString StagedSuffix = u".saving-"_s;
const QString TheFile = u"the file"_s;

QString sentenceStart(const QString &noun)
{
    return noun.first(1).toUpper() + noun.sliced(1);
}

Error fileError(const QString &what, const QString &path, const QString &reason, const QString &noun = TheVaultFile)
{
    return {u"Could not %1 %2 \"%3\": %4"_s.arg(what, noun, native(path), reason)};
}

// Saving makes a new file beside the old one, then renames it: both need the folder.
Error folderError(const QString &what, const QString &path, const QString &reason, const QString &noun)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo::exists(folder))
        return {u"Could not %1 %2 \"%3\": its folder \"%4\" does not exist."_s.arg(
                what, noun, native(path), native(folder))};
    return {u"Could not %1 %2 \"%3\": its folder \"%4\" cannot be written: %5"_s.arg(
            what, noun, native(path), native(folder), reason)};
}

QString kindOf(const QFileInfo &info)
{
    return info.isDir() ? u"a folder"_s : u"a special file (such as a pipe or a device)"_s;
}

Error notRegularError(const QString &path, const QFileInfo &info, const QString &noun)
{
    return {u"%1 \"%2\" is %3, not a regular file. It was left as it is."_s.arg(
            sentenceStart(noun), native(path), kindOf(info))};
}

Result<void> checkIsRegularFile(const QString &path, const QString &noun = TheVaultFile)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return notRegularError(path, info, noun);
    return {};
}

qint64 mebibytes(qint64 bytes)
{
    return (bytes + (1 << 20) - 1) >> 20;
}

// A file the reader would refuse is never written.
Result<void> checkSize(const QString &path, qint64 size)
{
    if (size <= VaultFile::MaximumSize)
        return {};
    return Error{u"The vault file \"%1\" would be %2 MiB, larger than the %3 MiB a vault can be, so "
                 "the change was not saved. The file was left as it is."_s.arg(native(path))
                         .arg(mebibytes(size))
                         .arg(VaultFile::MaximumSize >> 20)};
}

// A file hidden from FileExists gets an empty line appended rather than being
// replaced, so whatever it holds survives.
Result<void> appendEmptyLine(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return fileError(u"open"_s, path, file.errorString());
    if (file.write(VaultFormat::emptyVault()) < 0 || !file.flush())
        return fileError(u"write"_s, path, file.errorString());
    return {};
}

// A short write sets no error; writing the rest again brings out the system's reason.
bool writeAll(QFileDevice &file, QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        const qint64 written = file.write(bytes.data(), bytes.size());
        if (written <= 0)
            return false;
        bytes = bytes.sliced(written);
    }
    return true;
}

// The new bytes, complete and on disk under a name of their own beside path.
// The name is made afresh, so nothing there (a link) is written through.
Result<std::unique_ptr<QTemporaryFile>> stageFile(const QString &path, QByteArrayView bytes, const QString &what,
                                                  QFileDevice::Permissions permissions,
                                                  const QString &noun = TheVaultFile)
{
    auto file = std::make_unique<QTemporaryFile>(path + StagedSuffix + u"XXXXXX"_s);
    if (!file->open())
        return folderError(what, path, file->errorString(), noun);
    if (!file->setPermissions(permissions))
        return fileError(u"protect"_s, path, file->errorString(), noun);
    if (!writeAll(*file, bytes))
        return fileError(what, path, file->errorString(), noun);
    if (const QString failed = FileSystem::syncFile(*file); !failed.isEmpty())
        return fileError(what, path, failed, noun);
    file->close();
    return file;
}

Result<void> putInPlace(QTemporaryFile &staged, const QString &path, const QString &what,
                        const QString &noun = TheVaultFile)
{
    if (const QString failed = FileSystem::renameOver(staged.fileName(), path); !failed.isEmpty())
        return folderError(what, path, failed, noun);
    staged.setAutoRemove(false);
    FileSystem::syncFolder(QFileInfo(path).absolutePath());
    return {};
}

Result<void> replaceFile(const QString &path, QByteArrayView bytes, const QString &what,
                         QFileDevice::Permissions permissions, const QString &noun = TheVaultFile)
{
    Result<std::unique_ptr<QTemporaryFile>> staged = stageFile(path, bytes, what, permissions, noun);
    if (!staged)
        return staged.error();
    return putInPlace(*staged.value(), path, what, noun);
}

// The file being replaced, under a name beside its backup's until the new file
// is in place; only then does it take the backup's name, so a failed save
// leaves the backup as it was. A second name costs nothing; a copy is made
// where that cannot be done, or where the old file is not owner-only.
class StagedBackup
{
public:
    explicit StagedBackup(const QString &path) : m_backup(VaultFile::backupPathOf(path)) {}
    ~StagedBackup()
    {
        if (!m_name.isEmpty())
            QFile::remove(m_name);
    }

    Result<void> stage(const QString &path)
    {
        // The last step must not fail once the new file is in place: what the
        // backup's name cannot take is found out now.
        if (const QFileInfo backup(m_backup); backup.exists() && !backup.isFile())
            return Error{u"Could not keep a backup of the vault file in \"%1\", so the vault was not saved: "
                         "it is %2."_s.arg(native(m_backup), kindOf(backup))};
        const QString original = QFileInfo(path).canonicalFilePath();
        const QString linkName = m_backup + u".new"_s;
        if ((QFile::permissions(original) & SharedBits) == 0 && FileSystem::hardLink(original, linkName)) {
            m_name = linkName;
            return {};
        }
        Result<QByteArray> previous = VaultFile::read(path);
        if (!previous)
            return previous.error();
        Result<std::unique_ptr<QTemporaryFile>> copy = stageFile(m_backup, previous.value(), u"back up"_s, OwnerOnly);
        Wipe::bytes(previous.value());
        if (!copy)
            return Error{u"Could not keep a backup of the vault file in \"%1\", so the vault was not saved. %2"_s
                                 .arg(native(m_backup), copy.message())};
        m_name = copy.value()->fileName();
        copy.value()->setAutoRemove(false);
        return {};
    }

    // Once the new file is in place. Should this fail, the older backup stays
    // and the previous file keeps the name it was staged under.
    void takeBackupName()
    {
        FileSystem::renameOver(m_name, m_backup);
        m_name.clear();
    }

private:
    QString m_backup;
    QString m_name;
};

Result<void> checkReadable(const QString &path, const QString &noun = TheVaultFile)
{
    if (Result<void> regular = checkIsRegularFile(path, noun); !regular)
        return regular;
    const QFileInfo info(path);
    if (info.size() > VaultFile::MaximumSize)
        return Error{u"%1 \"%2\" is %3 MiB, larger than the %4 MiB a vault can be, so it "
                     "was not read. It was left as it is."_s.arg(sentenceStart(noun), native(path))
                             .arg(mebibytes(info.size()))
                             .arg(VaultFile::MaximumSize >> 20)};
    return {};
}

// Up to size bytes, fewer at the end of the file.
qint64 readUpTo(QFile &file, char *data, qint64 size)
{
    qint64 got = 0;
    while (got < size) {
        const qint64 read = file.read(data + got, size - got);
        if (read <= 0)
            break;
        got += read;
    }
    return got;
}

// The whole file in room made for it at once, on large pages; a file that
// grew or shrank meanwhile is still read to its end.
QByteArray readWhole(QFile &file)
{
    const qint64 expected = file.size();
    QByteArray bytes(expected, Qt::Uninitialized);
    platform::preferLargePages(bytes.data(), bytes.size());
    const qint64 got = readUpTo(file, bytes.data(), expected);
    bytes.truncate(got);
    if (got == expected)
        bytes += file.readAll();
    return bytes;
}

Result<void> openToRead(QFile &file)
{
    if (Result<void> readable = checkReadable(file.fileName()); !readable)
        return readable;
    if (!file.open(QIODevice::ReadOnly))
        return fileError(u"open"_s, file.fileName(), file.errorString());
    return {};
}

Result<QByteArray> readBytes(const QString &path, qint64 limit)
{
    QFile file(path);
    if (Result<void> opened = openToRead(file); !opened)
        return opened.error();
    try {
        QByteArray bytes = limit < 0 ? readWhole(file) : file.read(limit);
        if (file.error() != QFileDevice::NoError)
            return fileError(u"read"_s, path, file.errorString());
        return bytes;
    } catch (const std::bad_alloc &) {
        return fileError(u"read"_s, path, u"there is not enough memory"_s);
    }
}

} // namespace

namespace VaultFile {

Result<QByteArray> read(const QString &path)
{
    return readBytes(path, -1);
}

Result<QByteArrayView> readInto(const QString &path, const std::function<char *(qsizetype size)> &room)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        QFile file(path);
        if (Result<void> opened = openToRead(file); !opened)
            return opened.error();
        // One byte more than the file holds: a file that grew meanwhile fills it.
        const qsizetype size = qsizetype(file.size()) + 1;
        char *data = room(size);
        if (!data)
            return fileError(u"read"_s, path, u"there is not enough memory"_s);
        const qint64 got = readUpTo(file, data, size);
        if (file.error() != QFileDevice::NoError)
            return fileError(u"read"_s, path, file.errorString());
        if (got < size)
            return QByteArrayView(data, qsizetype(got));
    }
    return Error{u"The vault file \"%1\" kept changing while it was read, so it was not opened."_s.arg(native(path))};
}

Result<QByteArray> readStart(const QString &path)
{
    constexpr qint64 Chunk = 64 * 1024;
    Result<QByteArray> start = readBytes(path, Chunk);
    // A master line longer than the chunk: the whole file, as before.
    if (start && start->size() == Chunk && !start->contains('\r'))
        return read(path);
    return start;
}

Result<void> write(const QString &path, QByteArrayView bytes, Backup backup)
{
    if (Result<void> fits = checkSize(path, bytes.size()); !fits)
        return fits;
    if (Result<void> regular = checkIsRegularFile(path); !regular)
        return regular;
    const bool replacing = QFileInfo(path).isFile();
    const QFileDevice::Permissions permissions = replacing ? QFile::permissions(path) : OwnerOnly;
    Result<std::unique_ptr<QTemporaryFile>> staged = stageFile(path, bytes, u"save"_s, permissions);
    if (!staged)
        return staged.error();
    std::optional<StagedBackup> previous;
    if (backup == Backup::KeepPrevious && replacing) {
        if (Result<void> kept = previous.emplace(path).stage(path); !kept)
            return kept;
    }
    if (Result<void> placed = putInPlace(*staged.value(), path, u"save"_s); !placed)
        return placed;
    if (previous)
        previous->takeBackupName();
    return {};
}

Result<void> writePrivate(const QString &path, QByteArrayView bytes, Existing existing)
{
    const QFileInfo info(path);
    if (Result<void> regular = checkIsRegularFile(path, TheFile); !regular)
        return regular;
    // A link counts as there, even one that leads nowhere.
    if ((info.exists() || info.isSymLink()) && existing == Existing::Refuse)
        return Error{u"The file \"%1\" is there already. It was left as it is."_s.arg(native(path))};
    return replaceFile(path, bytes, u"write"_s, OwnerOnly, TheFile);
}

Result<void> checkReadableFile(const QString &path)
{
    if (!QFileInfo::exists(path))
        return fileError(u"open"_s, path, qt_error_string(ENOENT), TheFile);
    return checkReadable(path, TheFile);
}

void removeLeftovers(const QString &path)
{
    const QFileInfo info(path);
    const QStringList leftovers{info.fileName() + StagedSuffix + u'*'};
    QDir folder = info.absoluteDir();
    for (const QString &leftover : folder.entryList(leftovers, QDir::Files | QDir::Hidden | QDir::System))
        folder.remove(leftover);
}

QString backupPathOf(const QString &path)
{
    return path + u".bak"_s;
}

QString canonicalPath(const QString &path)
{
    const QFileInfo info(path);
    if (const QString real = info.canonicalFilePath(); !real.isEmpty())
        return real;
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? info.absoluteFilePath() : QDir(folder).filePath(info.fileName());
}

Result<void> EnsureVaultFile(const QString &path)
{
    if (xfileExists::FileExists(path))
        return {};
    if (QFileInfo(path).isFile())
        return appendEmptyLine(path);
    if (Result<void> regular = checkIsRegularFile(path); !regular)
        return regular;
    return replaceFile(path, VaultFormat::emptyVault(), u"create"_s, OwnerOnly);
}

} // namespace VaultFile
