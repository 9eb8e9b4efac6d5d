#pragma once

// What the fuzz targets share: feeding bytes to a reader as a device.

#include "model/error.h"
#include "model/servermodel.h"

#include <QBuffer>
#include <QByteArray>
#include <cstddef>
#include <cstdint>

namespace Lorvantic::Fuzz {

// Reads the bytes as one file would be read; a refused description is the expected outcome of
// most inputs, everything else (a crash, a sanitizer report, another exception) is a finding.
template <class Reader> void ReadAll(const uint8_t* data, size_t size, Reader&& read) {
    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    try {
        const Olap::ServerData server = read(device);
        // The model a reader hands on must hold together.
        (void)Olap::FindBrokenReference(server);
    } catch (const Error& error) {
        if (error.number() != ErrorNumber::BadDescription)
            __builtin_trap();
    }
}

} // namespace Lorvantic::Fuzz
