#include "cube/cubetext.h"

namespace Lorvantic {

QString CalcMemberStatementText(const QString& statement) {
    static const QString create = QStringLiteral("CREATE MEMBER");
    static const QString expressionStart = QStringLiteral("AS '");
    QString text = statement;
    if (text.startsWith(create, Qt::CaseSensitive))
        text = text.mid(create.size() + 1);
    const qsizetype cut = text.indexOf(expressionStart, 0, Qt::CaseSensitive);
    if (cut >= 0)
        text.truncate(cut);
    return text;
}

QString PrivateDimensionName(const QString& fullName, const QString& cubeName) {
    return fullName.mid(cubeName.size() + 1);
}

} // namespace Lorvantic
