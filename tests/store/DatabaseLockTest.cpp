#include "store/DatabaseLock.h"

#include "store/Database.h"
#include "store/DatabaseLifecycle.h"
#include "StoreTestSupport.h"
#include "support/DatabaseDump.h"
#include "support/ScriptedPrompter.h"

#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <QFileInfo>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace mendor;
using namespace mendor::test;

namespace {

// Runs work in a child process that keeps running until release() is called; the parent goes
// on once the child reports that its work is done. The child's exit code is work's result.
class Holder {
public:
    explicit Holder(const std::function<int()>& work) {
        int ready[2];
        int go[2];
        if (::pipe(ready) != 0 || ::pipe(go) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            ::close(go[1]);
            int code = 100;
            try {
                code = work();
            } catch (...) {
                code = 101;
            }
            char byte = 1;
            (void)!::write(ready[1], &byte, 1);
            (void)!::read(go[0], &byte, 1);
            ::_exit(code);
        }
        ::close(ready[1]);
        ::close(go[0]);
        release_ = go[1];
        char byte = 0;
        (void)!::read(ready[0], &byte, 1);
        ::close(ready[0]);
    }
    ~Holder() { release(); }

    /// Lets the child end and returns its exit code.
    int release() {
        if (pid_ <= 0)
            return -1;
        ::close(release_);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int release_ = -1;
};

QString Refusal(const char* done, const char* action) {
    return QStringLiteral("Music is being used by someone else, and cannot be %1.  Once everyone else has "
                          "quit Mendor Pro, you can %2 the database.")
        .arg(done, action);
}

// Tries rename, delete and compact of Music while someone holds it; all three must be refused
// with their messages and leave the file exactly as it was.
void expectAllRefused(const DataFolder& data) {
    const QString path = data.databasePath("Music");
    const QStringList before = DumpDatabase(path);
    ScriptedPrompter prompter;
    prompter.expectMessage(Refusal("renamed", "rename"))
        .answerYes("Delete Music and all of its volumes?", "Confirm Delete")
        .expectMessage(Refusal("deleted", "delete"))
        .expectMessage(Refusal("compacted", "compact"));
    RecordingSink sink;
    EXPECT_FALSE(RenameDatabase("Music", "Songs", prompter));
    EXPECT_EQ(DeleteDatabase("Music.mdb", prompter), 0);
    EXPECT_FALSE(CompactDatabaseFile("Music.mdb", prompter, sink));
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_FALSE(QFileInfo::exists(data.databasePath("Songs")));
    EXPECT_EQ(DumpDatabase(path), before);
    EXPECT_TRUE(sink.statuses.isEmpty());
}

} // namespace

TEST(DatabaseLock, AnotherDatabaseOfThisProcessBlocksRenameDeleteAndCompact) {
    DataFolder data;
    const QString path = data.addDatabase("Music", {FixtureVolume("a1", "A")});
    {
        const Database holder = Database::openReadOnly(path);
        expectAllRefused(data);
    }
    ScriptedPrompter prompter;
    EXPECT_TRUE(RenameDatabase("Music", "Songs", prompter));
    EXPECT_TRUE(QFileInfo::exists(data.databasePath("Songs")));
}

TEST(DatabaseLock, AnotherProcessBlocksRenameDeleteAndCompactUntilItQuits) {
    DataFolder data;
    const QString path = data.addDatabase("Music", {FixtureVolume("a1", "A")});
    Holder holder([&] {
        static std::optional<Database> kept;
        kept.emplace(Database::open(path));
        return 0;
    });
    expectAllRefused(data);
    EXPECT_EQ(holder.release(), 0);

    ScriptedPrompter prompter;
    prompter.answerYes();
    EXPECT_EQ(DeleteDatabase("Music.mdb", prompter), 1);
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST(DatabaseLock, ExclusiveAndSharedLocksBetweenHoldersOfOneProcess) {
    DataFolder data;
    const QString path = data.addDatabase("Music");
    {
        std::optional<DatabaseLock> exclusive = DatabaseLock::tryAcquire(path, DatabaseLock::Mode::Exclusive);
        ASSERT_TRUE(exclusive);
        EXPECT_FALSE(DatabaseLock::tryAcquire(path, DatabaseLock::Mode::Exclusive));
        // The holder of the exclusive lock opens the file itself (repair, compaction).
        EXPECT_NO_THROW(Database::open(path));
        // Another program asking for the file meanwhile is kept out (a forked child shares this
        // process's bookkeeping, so it asks the kernel directly, as another program would).
        Holder other([&] {
            const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
            return fd >= 0 && ::flock(fd, LOCK_SH | LOCK_NB) == 0 ? 1 : 0;
        });
        EXPECT_EQ(other.release(), 0);
    }
    Database first = Database::open(path);
    Database second = Database::open(path);
    EXPECT_FALSE(DatabaseLock::tryAcquire(path, DatabaseLock::Mode::Exclusive));
    first.close();
    EXPECT_FALSE(DatabaseLock::tryAcquire(path, DatabaseLock::Mode::Exclusive));
    second.close();
    EXPECT_TRUE(DatabaseLock::tryAcquire(path, DatabaseLock::Mode::Exclusive));
}

TEST(DatabaseLock, AFileReplacedWhileOpenIsOpenedAsTheNewFile) {
    DataFolder data;
    const QString path = data.addDatabase("Music", {FixtureVolume("a1", "A")});
    std::optional<DatabaseLock> lock = DatabaseLock::tryAcquire(path, DatabaseLock::Mode::Shared);
    ASSERT_TRUE(lock);
    EXPECT_TRUE(lock->isOn(path));
    const QString other = data.addDatabase("Other");
    ASSERT_EQ(::rename(QFile::encodeName(other).constData(), QFile::encodeName(path).constData()), 0);
    EXPECT_FALSE(lock->isOn(path));
    Database db = Database::open(path);
    EXPECT_TRUE(Column(path, "SELECT name FROM \"index\"").isEmpty());
}
