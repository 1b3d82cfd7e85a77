#include "FuzzTargets.h"

#include "catalog/DescriptIon.h"
#include "catalog/DriveMedium.h"
#include "catalog/VolumeIdentification.h"
#include "catalog/VolumeTypes.h"
#include "catalog/ZipLister.h"
#include "platform/MediumFile.h"
#include "shell/ProfileFile.h"
#include "shell/Saturating.h"

#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <QByteArray>
#include <QFile>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace mendor::fuzz {

namespace {

/// A folder of this process for the files the readers open; removed at exit.
class Scratch {
public:
    Scratch() {
        char pattern[] = "/tmp/mendor-fuzz-XXXXXX";
        if (!mkdtemp(pattern))
            std::abort();
        path_ = pattern;
        root_ = path_ + "/root";
        if (::mkdir(root_.c_str(), 0755) != 0)
            std::abort();
        folder_ = FileDescriptor(::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    }
    ~Scratch() {
        for (const std::string& file : {root_ + "/Mendor.cat", path_ + "/input", path_ + "/witness"})
            ::unlink(file.c_str());
        ::rmdir(root_.c_str());
        ::rmdir(path_.c_str());
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    int folder() const { return folder_.get(); }
    const std::string& path() const { return path_; }
    const std::string& root() const { return root_; }

    /// Replaces the file at path with the given bytes.
    static void write(const std::string& path, const std::uint8_t* data, std::size_t size) {
        const FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
        if (!fd.isOpen() || ::write(fd.get(), data, size) != ssize_t(size))
            std::abort();
    }

private:
    std::string path_;
    std::string root_;
    FileDescriptor folder_;
};

Scratch& scratch() {
    static Scratch instance;
    return instance;
}

QByteArray bytesOf(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

/// A removable medium whose root is the scratch root; hiding a file is not looked at here.
class FuzzMedium : public DriveMedium {
public:
    explicit FuzzMedium(const QString& root)
        : DriveMedium(DriveInfo{QLatin1Char('E'), root, {}, {}, {}, false}) {}
    void hideFile(int) const override {}
};

/// Answers every question with nothing, as a user who cancels.
class CancellingPrompter : public Prompter {
public:
    void message(const QString&, const QString&) override {}
    bool askYesNo(const QString&, const QString&) override { return false; }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
};

int entriesOf(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return -1;
    int count = 0;
    while (const dirent* entry = ::readdir(dir))
        count += entry->d_name[0] == '.' ? 0 : 1;
    ::closedir(dir);
    return count;
}

} // namespace

bool ListZipArchive(const std::uint8_t* data, std::size_t size) {
    Scratch::write(scratch().path() + "/input", data, size);
    ZipLister zip;
    if (!zip.open(scratch().folder(), "input"))
        return true;
    ZipMember member;
    QString name;
    QString folder;
    std::int64_t total = 0;
    for (std::int64_t i = 0; i < zip.count(); ++i) {
        if (!zip.member(i, member))
            break;
        SplitMemberPath(member.path, name, folder);
        total = SaturatingAdd(total, member.size);
        if (member.size < 0 || total < 0 || !folder.startsWith(QLatin1Char('\\')))
            return false;
    }
    return true;
}

bool ReadDescriptIon(const std::uint8_t* data, std::size_t size) {
    const QByteArray content = bytesOf(data, size);
    const DescriptIon descriptions = DescriptIon::parse(content);
    const QList<QByteArray> lines = content.split('\n');
    qsizetype lineCount = 0;
    for (const QByteArray& line : lines)
        lineCount += 1 + line.count('\r');
    // A line gives at most two names: its own bytes and their meaning in an old code page.
    if (descriptions.size() > 2 * lineCount)
        return false;
    for (const QByteArray& line : lines) {
        // A plain line without a carriage return or a byte-order mark names what precedes its
        // first blank.
        const qsizetype blank = line.indexOf(' ');
        if (blank < 0 || line.contains('\r') || line.startsWith('"') || line.startsWith("\xEF\xBB\xBF"))
            continue;
        if (descriptions.descriptionOf(QByteArrayView(line).first(blank)).isNull())
            return false;
    }
    return true;
}

bool ReadProfileStrings(const std::uint8_t* data, std::size_t size) {
    const std::string path = scratch().path() + "/input";
    Scratch::write(path, data, size);
    const ProfileFile profile = ProfileFile::snapshotOf(QString::fromStdString(path));
    // The names the program reads, and the input's own first two lines as a section and a key.
    const QList<QByteArray> lines = bytesOf(data, size).split('\n');
    QList<QPair<QString, QString>> lookups = {
        {QStringLiteral("Options"), QStringLiteral("StartupMode")},
        {QStringLiteral("Window"), QStringLiteral("Left")},
        {QStringLiteral("Drives"), QStringLiteral("E:")},
    };
    if (lines.size() >= 2) {
        lookups.append({QString::fromUtf8(lines.at(0)), QString::fromUtf8(lines.at(1))});
        lookups.append({QString::fromUtf8(lines.at(0)).remove(QLatin1Char('[')).remove(QLatin1Char(']')),
                        QString::fromUtf8(lines.at(1).split('=').first())});
    }
    for (const auto& [section, key] : lookups) {
        if (profile.readString(section, key, QString()).size() > ProfileFile::kMaxValueLength)
            return false;
    }
    return true;
}

bool IdentifyFromMarker(const std::uint8_t* data, std::size_t size) {
    const std::string marker = scratch().root() + "/Mendor.cat";
    const std::string witness = scratch().path() + "/witness";
    const std::uint8_t witnessBytes[] = {'k', 'e', 'e', 'p'};
    Scratch::write(marker, data, size);
    Scratch::write(witness, witnessBytes, sizeof witnessBytes);

    const FuzzMedium medium(QString::fromStdString(scratch().root()));
    CancellingPrompter prompter;
    NullProgressSink progress;
    const QString identity = IdentifyVolume(medium, kVolumeRemovable, prompter, progress);

    QFile check(QString::fromStdString(witness));
    if (!check.open(QIODevice::ReadOnly) || check.readAll() != "keep" || entriesOf(scratch().root()) != 1)
        return false;
    if (identity.isEmpty())
        return true;
    // What a marker gives becomes the table name t: it can never hold the key separator.
    const std::optional<QString> again = MarkerIdentity(identity.toUtf8());
    return !identity.contains(QLatin1Char('_')) && !identity.trimmed().isEmpty() && again.has_value();
}

} // namespace mendor::fuzz
