#include "report/reportfile.h"

#include "model/olap.h"

#include <QFile>
#include <QHash>
#include <QLocale>
#include <QProcess>
#include <QRandomGenerator>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace Lorvantic {

namespace {

constexpr auto Prefix = "VOK";
// The name buffer holds 254 characters before its terminating NUL.
constexpr qsizetype MaxPathLength = 253;
constexpr unsigned MaxUnique = 0xFFFF;

// Creates an empty file that did not exist; a planted link counts as existing.
int createExclusive(const QString& path) {
    return ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                  0600);
}

// A full disk may take part of an append; cutting it off again keeps the file from ending in half
// a line, so that what is appended later still starts on a line of its own.
void cutBackTo(int fd, off_t size) {
    while (::ftruncate(fd, size) != 0 && errno == EINTR) {
    }
}

QString trimBlanks(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == u' ')
        ++first;
    while (last > first && text.at(last - 1) == u' ')
        --last;
    return text.mid(first, last - first);
}

// The locale's long time format without its time zone part.
QString timeFormatWithoutZone(const QLocale& locale) {
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't') {
            while (!out.isEmpty() && out.back().isSpace())
                out.chop(1);
            continue;
        }
        out += c;
    }
    return out.trimmed();
}

} // namespace

QString TempFolder() {
    for (const char* name : {"TEMP", "TMPDIR"}) {
        QString value = qEnvironmentVariable(name);
        if (!value.isEmpty())
            return value;
    }
    return QStringLiteral("/tmp");
}

bool CreateTempFile(QString& path) {
    QString folder = TempFolder();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    const unsigned start = QRandomGenerator::global()->bounded(MaxUnique);
    for (unsigned k = 0; k < MaxUnique; ++k) {
        const unsigned unique = (start + k) % MaxUnique + 1;
        const QString base = folder + QLatin1String(Prefix) + QString::number(unique, 16).toUpper();
        const QString companion = base + QStringLiteral(".tmp");
        int fd = createExclusive(companion);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        ::close(fd);
        if (QFile::encodeName(companion).size() > MaxPathLength)
            return false;
        const QString page = base + QStringLiteral(".html");
        fd = createExclusive(page);
        if (fd < 0) {
            const int error = errno;
            ::unlink(QFile::encodeName(companion).constData());
            if (error == EEXIST)
                continue;
            return false;
        }
        ::close(fd);
        path = page;
        return true;
    }
    return false;
}

bool AppendBytes(const QString& path, const QByteArray& bytes) {
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    struct stat before {};
    if (::fstat(fd, &before) != 0) {
        ::close(fd);
        return false;
    }
    bool ok = true;
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            ok = false;
            break;
        }
        data += written;
        left -= written;
    }
    if (!ok)
        cutBackTo(fd, before.st_size);
    ::close(fd);
    return ok;
}

void AppendLine(const QString& path, const QString& text) {
    AppendBytes(path, text.toUtf8() + "\r\n");
}

bool LaunchBrowser(const QString& path) {
    QStringList command;
    const QString browser = qEnvironmentVariable("BROWSER").section(u':', 0, 0);
    if (!browser.trimmed().isEmpty())
        command = QProcess::splitCommand(browser);
    if (command.isEmpty())
        command = {QStringLiteral("xdg-open")};
    bool placed = false;
    for (QString& argument : command) {
        if (argument.contains(QStringLiteral("%s"))) {
            argument.replace(QStringLiteral("%s"), path);
            placed = true;
        }
    }
    if (!placed)
        command << path;
    const QString program = command.takeFirst();
    return QProcess::startDetached(program, command);
}

bool EraseTempFiles(const QString& path) {
    const QString companion = path.left(path.size() - 4) + QStringLiteral("tmp");
    if (::unlink(QFile::encodeName(path).constData()) != 0)
        return false;
    return ::unlink(QFile::encodeName(companion).constData()) == 0;
}

namespace {
// The system's number format without group separators. Qt reads the system locale once per
// process, so one copy serves every size (making it per call cost more than the formatting).
const QLocale& sizeLocale() {
    static const QLocale locale = [] {
        QLocale system = QLocale::system();
        system.setNumberOptions(QLocale::OmitGroupSeparator);
        return system;
    }();
    return locale;
}

// Texts made through the locale, kept by what they were made of: a page shows the same few
// again and again (a cube's date and size under every dimension it uses), and formatting one
// costs far more than finding it. A fixed table where a new text takes the place of the one
// whose key falls on the same slot: no growing and no clearing, which cost more than they saved
// where the keys rarely repeat (every cube a size of its own).
template <class Key> class TextMemo {
public:
    template <class Make> QString get(const Key& key, Make&& make) {
        if (m_slots.empty())
            m_slots.resize(Slots);
        Slot& slot = m_slots[qHash(key) % Slots];
        if (!slot.used || slot.key != key)
            slot = {true, key, make()};
        return slot.text;
    }

private:
    // Room for the cubes that a database's dimensions and roles share (32 KB): what the memo is
    // for. A table that kept a whole small server would make its repeated reports skip work a
    // large one cannot, so time would grow faster than the server.
    static constexpr std::size_t Slots = 1 << 10;
    struct Slot {
        bool used = false;
        Key key{};
        QString text;
    };
    std::vector<Slot> m_slots; // made on first use
};
} // namespace

QString GetSizeInMB(const Olap::Store& store) {
    try {
        const double megabytes = store.EstimatedSize() / 1024.0 / 1024.0;
        thread_local TextMemo<double> known;
        return known.get(megabytes, [&] { return sizeLocale().toString(megabytes, 'f', 2); });
    } catch (const Error&) {
        return QStringLiteral("0");
    }
}

QString GetProcessedText(bool processed) {
    return processed ? QStringLiteral("Processed") : QStringLiteral("Not Processed");
}

QString GetConnectionValue(const QVariant& connection, const QString& key, const QString& mark,
                           const QString& terminator) {
    const QString text = connection.toString();
    const qsizetype keyAt = text.indexOf(key, 0, Qt::CaseInsensitive);
    if (keyAt < 0)
        return QString();
    const QString afterKey = text.mid(keyAt + key.size());
    const qsizetype markAt = afterKey.indexOf(mark, 0, Qt::CaseInsensitive);
    if (markAt < 0)
        return QString();
    QString value = afterKey.mid(markAt + mark.size());
    const qsizetype end = value.indexOf(terminator, 0, Qt::CaseInsensitive);
    if (end >= 0)
        value.truncate(end);
    return trimBlanks(value);
}

QString ShortDateText(const QDateTime& when) {
    return QLocale::system().toString(when.date(), QLocale::ShortFormat);
}

QString TimeText(const QDateTime& when) {
    const QLocale locale = QLocale::system();
    return locale.toString(when.time(), timeFormatWithoutZone(locale));
}

QString GeneralDateText(const QDateTime& when) {
    const auto make = [&] {
        return when.time() == QTime(0, 0) ? ShortDateText(when) : ShortDateText(when) + u' ' + TimeText(when);
    };
    if (!when.isValid())
        return make();
    // The system locale is read once per process (as for sizes), so the texts stay right.
    thread_local TextMemo<std::pair<qint64, int>> known;
    return known.get({when.date().toJulianDay(), when.time().msecsSinceStartOfDay()}, make);
}

QDateTime ReportClock() {
    bool ok = false;
    const qint64 epoch = qEnvironmentVariable("SOURCE_DATE_EPOCH").toLongLong(&ok);
    if (ok)
        return QDateTime::fromSecsSinceEpoch(epoch, Qt::UTC);
    return QDateTime::currentDateTime();
}

} // namespace Lorvantic
