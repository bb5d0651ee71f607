#pragma once

namespace tervan {

// Registers GDAL's drivers the first time any reader or writer needs them; registering scans
// the plug-in folders, which is too slow to repeat on every file. In the gdaldrivers library,
// which the libraries that use GDAL (survey, exchange) link.
void registerGdalDrivers();

} // namespace tervan
