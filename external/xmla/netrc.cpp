#include "external/xmla/netrc.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <utility>

namespace Lorvantic::Olap::Xmla {

namespace {

// A netrc file is small; a bigger one is not read whole.
constexpr qint64 MaxNetrcBytes = 1 << 20;

class Tokens {
public:
    explicit Tokens(QString text)
        : m_text(std::move(text)) {}

    // The next token, or a null string at the end.
    QString next() {
        skipBlanks();
        if (m_at >= m_text.size())
            return QString();
        QString token(0, QChar());
        if (m_text[m_at] == u'"') {
            for (++m_at; m_at < m_text.size() && m_text[m_at] != u'"'; ++m_at) {
                QChar c = m_text[m_at];
                if (c == u'\\' && m_at + 1 < m_text.size()) {
                    c = m_text[++m_at];
                    c = c == u'n' ? QChar(u'\n') : c == u'r' ? QChar(u'\r') : c == u't' ? QChar(u'\t') : c;
                }
                token += c;
            }
            ++m_at; // the closing quote
            return token;
        }
        const qsizetype start = m_at;
        while (m_at < m_text.size() && !m_text[m_at].isSpace())
            ++m_at;
        return m_text.mid(start, m_at - start);
    }

    // A macro definition: the rest of the macdef line (its name) and the lines up to the next
    // empty one, as curl reads it.
    void skipMacro() {
        const qsizetype lineEnd = m_text.indexOf(u'\n', m_at);
        const qsizetype end = lineEnd < 0 ? -1 : m_text.indexOf(QLatin1String("\n\n"), lineEnd);
        m_at = end < 0 ? m_text.size() : end + 2;
    }

private:
    void skipBlanks() {
        while (m_at < m_text.size() && m_text[m_at].isSpace())
            ++m_at;
    }

    QString m_text;
    qsizetype m_at = 0;
};

struct Entry {
    bool isDefault = false;
    QString machine;
    std::optional<QString> login;
    std::optional<QString> password;
};

} // namespace

QString NetrcPath() {
    const QString path = qEnvironmentVariable("NETRC");
    return path.isEmpty() ? QDir::homePath() + QStringLiteral("/.netrc") : path;
}

std::optional<Credentials> NetrcLogin(const QString& text, const QString& host, const QString& user) {
    QString normalised = text;
    normalised.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    Tokens tokens(normalised);
    std::vector<Entry> entries;
    for (QString token = tokens.next(); !token.isNull(); token = tokens.next()) {
        if (token == QLatin1String("machine")) {
            entries.push_back({false, tokens.next(), {}, {}});
        } else if (token == QLatin1String("default")) {
            entries.push_back({true, QString(), {}, {}});
        } else if (token == QLatin1String("login") && !entries.empty()) {
            entries.back().login = tokens.next();
        } else if (token == QLatin1String("password") && !entries.empty()) {
            entries.back().password = tokens.next();
        } else if (token == QLatin1String("account")) {
            tokens.next();
        } else if (token == QLatin1String("macdef")) {
            tokens.skipMacro();
        }
    }
    const auto fits = [&](const Entry& entry) {
        return user.isEmpty() || entry.login.value_or(QString()) == user;
    };
    for (const bool wantDefault : {false, true}) {
        for (const Entry& entry : entries) {
            if (entry.isDefault != wantDefault || !fits(entry))
                continue;
            if (!wantDefault && entry.machine.compare(host, Qt::CaseInsensitive) != 0)
                continue;
            return Credentials{entry.login.value_or(user), entry.password.value_or(QString())};
        }
    }
    return std::nullopt;
}

std::optional<Credentials> NetrcLoginFromFile(const QString& path, const QString& host, const QString& user) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return NetrcLogin(QString::fromUtf8(file.read(MaxNetrcBytes)), host, user);
}

} // namespace Lorvantic::Olap::Xmla
