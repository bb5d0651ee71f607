#pragma once

// For the libraries that link GDAL (survey, exchange) and their tests.
#include <gdal.h>
#include <mutex>

namespace tervan {

// Registers GDAL's drivers the first time any reader or writer needs them; registering scans
// the plug-in folders, which is too slow to repeat on every file.
inline void registerGdalDrivers()
{
    static std::once_flag once;
    std::call_once(once, [] { GDALAllRegister(); });
}

} // namespace tervan
