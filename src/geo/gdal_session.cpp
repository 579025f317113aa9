#include "geo/gdal_session.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal.h>
#include <ogr_api.h>

#include <mutex>

namespace linea::geo_detail {
namespace {

void CPL_STDCALL CollectError(CPLErr severity, CPLErrorNum, const char* message) {
  if (severity < CE_Failure) return;  // warnings are not reasons
  if (auto* capture = static_cast<CGdalErrorCapture*>(CPLGetErrorHandlerUserData())) capture->Record(message);
}

}  // namespace

void EnsureGdalDrivers() {
  static std::once_flag once;
  std::call_once(once, [] {
    // GDAL must not write .aux.xml files beside the user's rasters.
    CPLSetConfigOption("GDAL_PAM_ENABLED", "NO");
    GDALAllRegister();
  });
}

CGdalErrorCapture::CGdalErrorCapture() {
  CPLPushErrorHandlerEx(CollectError, this);
  CPLErrorReset();
}

CGdalErrorCapture::~CGdalErrorCapture() { CPLPopErrorHandler(); }

std::string CGdalErrorCapture::Reason(const std::string& fallback) const {
  return last_.empty() ? fallback : last_;
}

}  // namespace linea::geo_detail
