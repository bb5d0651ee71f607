#include "common/gdaldrivers.h"

#include <gdal.h>
#include <mutex>

namespace tervan {

void registerGdalDrivers()
{
    static std::once_flag once;
    std::call_once(once, [] { GDALAllRegister(); });
}

} // namespace tervan
