// The one save of the Qt programs: the old file stays whole on any failure, a link at the
// target is replaced and never followed, a folder is never a target.
#include "files/SaveFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <csignal>
#endif
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace numora {
namespace {

QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

class SaveFileTest : public ::testing::Test {
protected:
    void TearDown() override { SetSaveChunkWriter({}); }
    QString Path(const QString& name) const { return m_dir.filePath(name); }
    QStringList Files() const { return QDir(m_dir.path()).entryList(QDir::Files | QDir::System); }

    QTemporaryDir m_dir;
};

TEST_F(SaveFileTest, AWriteFailingPartWayLeavesTheOldFileAndNoLitter) {
    const QByteArray old(5500, 'o');
    Write(Path("book.pb"), old);
    // A full disk: each write takes part of its chunk, then the disk is full.
    qint64 room = 3000;
    SetSaveChunkWriter([&room](QIODevice& device, const char* data, qint64 size) -> qint64 {
        const qint64 n = std::min(room, size);
        if (n <= 0) return -1;
        room -= n;
        return device.write(data, n);
    });
    EXPECT_FALSE(SaveFileAtomically(Path("book.pb"), QByteArray(200000, 'n')));
    EXPECT_EQ(Read(Path("book.pb")), old);
    EXPECT_EQ(Files(), QStringList{"book.pb"});

    SetSaveChunkWriter({});
    EXPECT_TRUE(SaveFileAtomically(Path("book.pb"), QByteArray(200000, 'n')));
    EXPECT_EQ(Read(Path("book.pb")), QByteArray(200000, 'n'));
}

#ifndef _WIN32
// A disk that fills while the last buffered bytes go out: the kernel refuses them only when the
// buffer is flushed, after every write the program made has succeeded.
TEST_F(SaveFileTest, ADiskFullAtTheLastFlushFailsTheSave) {
    const QByteArray old(5500, 'o');
    Write(Path("book.pb"), old);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString reason;
    const bool saved9000 = SaveFileAtomically(Path("book.pb"), QByteArray(9000, 'n'), &reason);
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_FALSE(saved9000);
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_EQ(Read(Path("book.pb")), old);
    EXPECT_EQ(Files(), QStringList{"book.pb"});
}
#endif

TEST_F(SaveFileTest, AFolderIsNeverATargetAndALinkIsReplacedWithItsTargetUntouched) {
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("folder"));
    EXPECT_FALSE(SaveFileAtomically(Path("folder"), "x"));
    EXPECT_TRUE(QFileInfo(Path("folder")).isDir());
    EXPECT_FALSE(CanSaveTo(Path("folder")));
    EXPECT_FALSE(CanSaveTo(Path("no/such/folder/book.pb")));
    EXPECT_FALSE(SaveFileAtomically(Path("no/such/folder/book.pb"), "x"));
    EXPECT_TRUE(CanSaveTo(Path("book.pb")));
    EXPECT_TRUE(Files().isEmpty());  // asking leaves nothing behind

    Write(Path("other.txt"), "precious");
    ASSERT_TRUE(QFile::link(Path("other.txt"), Path("book.pb")));
    EXPECT_TRUE(SaveFileAtomically(Path("book.pb"), "new"));
    EXPECT_FALSE(QFileInfo(Path("book.pb")).isSymLink());
    EXPECT_EQ(Read(Path("book.pb")), "new");
    EXPECT_EQ(Read(Path("other.txt")), "precious");
    EXPECT_EQ(Files().size(), 2);
}

// A book of secret entries stays its owner's: a file replaced keeps its permissions, a new one
// is created for its owner alone when asked; a FIFO or device would be replaced, or block.
TEST_F(SaveFileTest, PermissionsCarryOverAndOnlyPlainFilesAreReplaced) {
    const auto mode = [this](const char* name) {
        struct stat st {};
        return ::stat(QFile::encodeName(Path(name)).constData(), &st) == 0 ? st.st_mode & 0777 : 0u;
    };
    Write(Path("private.pb"), "old");
    ASSERT_EQ(::chmod(QFile::encodeName(Path("private.pb")).constData(), 0600), 0);
    ASSERT_TRUE(SaveFileAtomically(Path("private.pb"), "new"));
    EXPECT_EQ(mode("private.pb"), 0600u);
    ASSERT_TRUE(SaveFileAtomically(Path("secret.pb"), "new", nullptr, true));
    EXPECT_EQ(mode("secret.pb"), 0600u);
    ASSERT_TRUE(SaveFileAtomically(Path("plain.pb"), "new"));
    EXPECT_NE(mode("plain.pb") & 0044u, 0u);  // readable as the umask has it

    ASSERT_EQ(::mkfifo(QFile::encodeName(Path("fifo")).constData(), 0600), 0);
    EXPECT_FALSE(CanSaveTo(Path("fifo")));
    EXPECT_FALSE(SaveFileAtomically(Path("fifo"), "x"));
    EXPECT_FALSE(QFileInfo(Path("fifo")).isFile());
    EXPECT_FALSE(SaveFileAtomically(QStringLiteral("/dev/null"), "x"));
}

}  // namespace
}  // namespace numora
