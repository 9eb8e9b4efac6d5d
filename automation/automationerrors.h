#pragma once

// The failure numbers of the automation surface: those hosts know from late-bound calls,
// class objects and registration. They are the numbers the C entry points return.

#include "automation/include/lorvantic.h"

#include <QtGlobal>

namespace Lorvantic::ErrorNumber {

inline constexpr qint32 NotImplemented = LV_E_NOTIMPL;
inline constexpr qint32 NullPointer = LV_E_POINTER;
inline constexpr qint32 Failed = LV_E_FAIL;
inline constexpr qint32 Unexpected = LV_E_UNEXPECTED;
inline constexpr qint32 OutOfMemory = LV_E_OUTOFMEMORY;
inline constexpr qint32 InvalidArgument = LV_E_INVALIDARG;
inline constexpr qint32 MemberNotFound = LV_DISP_E_MEMBERNOTFOUND;
inline constexpr qint32 ArgumentTypeMismatch = LV_DISP_E_TYPEMISMATCH;
inline constexpr qint32 UnknownName = LV_DISP_E_UNKNOWNNAME;
inline constexpr qint32 BadVariantType = LV_DISP_E_BADVARTYPE;
inline constexpr qint32 ArgumentOverflow = LV_DISP_E_OVERFLOW;
inline constexpr qint32 BadParamCount = LV_DISP_E_BADPARAMCOUNT;
inline constexpr qint32 WrongThread = LV_RPC_E_WRONG_THREAD;
inline constexpr qint32 ClassNotAvailable = LV_CLASS_E_CLASSNOTAVAILABLE;
inline constexpr qint32 RegistrationFailed = LV_SELFREG_E_CLASS;

} // namespace Lorvantic::ErrorNumber
