#pragma once

// Per-user registration, from which a host finds the library by programmatic identifier.
//
// One JSON file per class in $XDG_DATA_HOME/Lorvantic/ (default ~/.local/share/Lorvantic/),
// named after the programmatic identifier, e.g. "Lorvantic.MetaSelCube.json":
//   {
//       "class": "MetaSelCube",
//       "classId": "{7496BFE1-D493-11D3-A6DB-00805FA6ADDE}",
//       "format": "lorvantic-registration/1",
//       "interface": "_MetaSelCube",
//       "interfaceId": "{7496BFE0-D493-11D3-A6DB-00805FA6ADDE}",
//       "library": "/usr/lib/x86_64-linux-gnu/liblorvantic.so.1",
//       "progId": "Lorvantic.MetaSelCube",
//       "threadingModel": "Apartment",
//       "typeLibrary": { "helpFile": "..\\HTML_help\\Kavenor-Report.chm", "locale": 1033,
//                        "name": "Lorvantic", "version": "1.0" }
//   }
// Files are replaced atomically and only when their contents change, so registering twice
// changes nothing. Unregistering removes exactly these files (and the folder once it is empty).

#include "automation/typelib.h"

#include <QByteArray>
#include <QString>

namespace Lorvantic {

QString RegistrationFolder();
QString RegistrationFile(const ClassDesc& cls);
// The bytes of the class's entry.
QByteArray RegistrationEntry(const ClassDesc& cls, const QString& libraryPath);

// The absolute path of the file this code was loaded from: the shared library, or the program
// it is linked into.
QString OwnLibraryPath();

// Both raise Error (RegistrationFailed) when an entry cannot be written or removed.
void RegisterServer(const QString& libraryPath = OwnLibraryPath());
void UnregisterServer();

} // namespace Lorvantic
