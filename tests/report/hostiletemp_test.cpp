// Report files in a temporary folder that others share or that stops taking data: nothing outside
// the folder is touched, nothing crashes, and the outcome is false or a dropped line.

#include "report/pagewriter.h"
#include "report/reportfile.h"
#include "tests/support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Lorvantic;
using Lorvantic::Test::ScopedEnv;
namespace lt = Lorvantic::Test;

namespace {

constexpr unsigned LastUnique = 0xFFFF;
// The account whose files the tests plant, and as which checks run that root would pass.
constexpr uid_t Nobody = 65534;
constexpr gid_t NoGroup = 65534;

QString nameOf(const QString& folder, unsigned unique, const char* extension) {
    return folder + QStringLiteral("/VOK") + QString::number(unique, 16).toUpper() + u'.' +
           QLatin1String(extension);
}

QStringList folderEntries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Runs work in a child process and gives its exit code (-1 when it did not exit normally), so
// that limits and a changed user stay out of the test program.
int inChild(const std::function<int()>& work) {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(work());
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// Root passes permission checks; the child becomes nobody so that they apply.
bool dropRoot() {
    if (::geteuid() != 0)
        return true;
    return ::setgroups(0, nullptr) == 0 && ::setgid(NoGroup) == 0 && ::setuid(Nobody) == 0;
}

// A folder the child can reach after dropping root (test folders are private to their owner).
QString reachableFolder(const QTemporaryDir& parent) {
    QFile::setPermissions(parent.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                             QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                             QFileDevice::ExeOther | QFileDevice::ReadGroup |
                                             QFileDevice::ExeGroup);
    return parent.path();
}

// The file size limit hits every write of the child: the folder is "full" after limit bytes.
void limitFileSize(rlim_t limit) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit size{limit, limit};
    ::setrlimit(RLIMIT_FSIZE, &size);
}

QByteArray numberedLines(int first, int last) {
    QByteArray lines;
    for (int i = first; i <= last; ++i)
        lines += "line " + QByteArray::number(i).rightJustified(2, '0') + "\r\n";
    return lines;
}

} // namespace

// Every name taken: a third by links under the companion name, a third by links under the page
// name, a third by page files of another user. No link is followed, no file of theirs touched, and
// every companion made on the way is taken back; the one name set free again is found, whatever
// name the search started at.
TEST(HostileTempFolder, TakenNamesGiveFalseAndTouchNothing) {
    constexpr unsigned Free = 0xBEEF;
    const QString folder = lt::freshFolder();
    const QString victim = lt::freshFolder() + QStringLiteral("/victim");
    lt::writeBytes(victim, "precious");
    const QByteArray to = QFile::encodeName(victim);
    const bool root = ::geteuid() == 0;
    for (unsigned n = 1; n <= LastUnique; ++n) {
        const QByteArray page = QFile::encodeName(nameOf(folder, n, "html"));
        if (n < 0x5555) {
            ASSERT_EQ(::symlink(to.constData(), QFile::encodeName(nameOf(folder, n, "tmp")).constData()), 0);
        } else if (n < 0xAAAA || n == Free) {
            ASSERT_EQ(::symlink(to.constData(), page.constData()), 0);
        } else {
            const int fd = ::open(page.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
            ASSERT_GE(fd, 0);
            const bool given = !root || ::fchown(fd, Nobody, NoGroup) == 0;
            ::close(fd);
            ASSERT_TRUE(given);
        }
    }
    lt::writeBytes(nameOf(folder, 0xAAAA, "html"), "theirs");
    ScopedEnv temp("TEMP", folder);

    QString path = QStringLiteral("unchanged");
    EXPECT_FALSE(CreateTempFile(path));
    EXPECT_EQ(path, QStringLiteral("unchanged"));
    EXPECT_EQ(folderEntries(folder).size(), qsizetype(LastUnique));

    QFile::remove(nameOf(folder, Free, "html"));
    ASSERT_TRUE(CreateTempFile(path));
    EXPECT_EQ(path, nameOf(folder, Free, "html"));
    EXPECT_EQ(folderEntries(folder).size(), qsizetype(LastUnique) + 1);
    EXPECT_EQ(lt::readBytes(victim), QByteArray("precious"));
    EXPECT_EQ(lt::readBytes(nameOf(folder, 0xAAAA, "html")), QByteArray("theirs"));
}

TEST(HostileTempFolder, AFolderThatIsNotWritableGivesFalse) {
    QTemporaryDir parent;
    ASSERT_TRUE(parent.isValid());
    const QString folder = reachableFolder(parent) + QStringLiteral("/readonly");
    ASSERT_TRUE(QDir().mkdir(folder));
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                      QFileDevice::ExeOther | QFileDevice::ReadGroup | QFileDevice::ExeGroup);
    ScopedEnv temp("TEMP", folder);

    enum Outcome { Refused, SetUpFailed, Created, PathChanged, LineWritten };
    const int outcome = inChild([&] {
        if (!dropRoot() || ::access(QFile::encodeName(folder).constData(), W_OK) == 0)
            return SetUpFailed;
        QString path = QStringLiteral("unchanged");
        if (CreateTempFile(path))
            return Created;
        if (path != QStringLiteral("unchanged"))
            return PathChanged;
        AppendLine(folder + QStringLiteral("/page.html"), QStringLiteral("lost"));
        return QFile::exists(folder + QStringLiteral("/page.html")) ? LineWritten : Refused;
    });
    EXPECT_EQ(outcome, Refused);
    EXPECT_TRUE(folderEntries(folder).isEmpty());
}

// A line that does not fit is dropped whole, and lines go on at the start of a line once there is
// room again; a page writer loses its unwritten piece, not the lines it flushed before.
TEST(HostileTempFolder, AFullFolderDropsWholeLinesOnly) {
    const QString folder = lt::freshFolder();
    ScopedEnv temp("TEMP", folder);
    QString lines;
    QString page;
    ASSERT_TRUE(CreateTempFile(lines));
    ASSERT_TRUE(CreateTempFile(page));

    // Eleven lines of nine bytes fit into 100 bytes; the twelfth would fit only in part.
    const int exitCode = inChild([&] {
        limitFileSize(100);
        for (int i = 1; i <= 20; ++i)
            AppendLine(lines, QStringLiteral("line %1").arg(i, 2, 10, QChar(u'0')));
        PageWriter writer(page);
        writer.AppendLine(QStringLiteral("<HTML>"));
        writer.flush();
        for (int i = 0; i < 50; ++i)
            writer.AppendLine(QStringLiteral("<P>row %1</P>").arg(i));
        return 0;
    });
    ASSERT_EQ(exitCode, 0);
    EXPECT_EQ(lt::readBytes(lines), numberedLines(1, 11));
    EXPECT_EQ(lt::readBytes(page), QByteArray("<HTML>\r\n"));
    AppendLine(lines, QStringLiteral("line 21"));
    EXPECT_EQ(lt::readBytes(lines), numberedLines(1, 11) + numberedLines(21, 21));
    EXPECT_EQ(folderEntries(folder).size(), 4);
}
