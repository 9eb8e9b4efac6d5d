#pragma once

#include "lorvantic_export.h"

#include <QString>
#include <stdexcept>

namespace Lorvantic {

// A failure raised by the OLAP objects, the holders or the grids: a number and a description,
// like a run-time error. It is caught only where an operation is guarded.
class LORVANTIC_EXPORT Error : public std::runtime_error {
public:
    Error(qint32 number, const QString& description)
        : std::runtime_error(description.toStdString())
        , m_number(number)
        , m_description(description) {}

    qint32 number() const noexcept { return m_number; }
    const QString& description() const noexcept { return m_description; }

private:
    qint32 m_number;
    QString m_description;
};

// Numbers of the failures the component raises itself.
namespace ErrorNumber {
inline constexpr qint32 Overflow = 6;
inline constexpr qint32 SubscriptOutOfRange = 9;
inline constexpr qint32 TypeMismatch = 13;
inline constexpr qint32 ObjectNotSet = 91;
inline constexpr qint32 ItemNotFound = -2147221401;   // 0x80040067: no item under that name or position
inline constexpr qint32 NotAnswered = -2147221400;    // 0x80040068: the object does not hold this value
inline constexpr qint32 ServerNotFound = -2147221399; // 0x80040069: no description for that server name
inline constexpr qint32 BadDescription = -2147221398; // 0x8004006A: the description file is not valid
inline constexpr qint32 NotConnected = -2147221397;   // 0x8004006B: the server object was never connected
// 0x8004006C: the description file was found but cannot be read
inline constexpr qint32 UnreadableDescription = -2147221396;
} // namespace ErrorNumber

// An object was used before one was set.
[[noreturn]] inline void RaiseObjectNotSet() {
    throw Error(ErrorNumber::ObjectNotSet, QStringLiteral("Object variable or With block variable not set"));
}

} // namespace Lorvantic
