#pragma once

// Logins kept in a netrc file, read as curl reads them: "machine NAME", "login", "password",
// "default" (any machine), "account" and "macdef" (a macro up to the next empty line) skipped;
// tokens are separated by blanks and may be double-quoted with \" \\ \n \r \t escapes.

#include <QString>
#include <optional>

namespace Lorvantic::Olap::Xmla {

struct Credentials {
    QString user;
    QString password;
};

// $NETRC when set, else ~/.netrc.
QString NetrcPath();

// The login for host (letter case ignored) in the netrc text: the first machine entry for it,
// else the default entry. When user is given, only an entry with that login counts. An entry
// without a password gives an empty one.
std::optional<Credentials> NetrcLogin(const QString& text, const QString& host, const QString& user);

// As above, read from the file at path; nothing when it cannot be read.
std::optional<Credentials> NetrcLoginFromFile(const QString& path, const QString& host, const QString& user);

} // namespace Lorvantic::Olap::Xmla
