// The georeference kept with a project: the geotransform and the CRS in "Saving
// settings", taken from a GeoTIFF base raster and read back from the project.

#include <gtest/gtest.h>

#include <ctime>

#include "base/profile_text.h"
#include "geo/gdal_raster.h"
#include "project/save_settings.h"
#include "project/workspace.h"
#include "support/test_files.h"
#include "support/test_host.h"

namespace linea {
namespace {

constexpr const char* kWkt =
    "PROJCS[\"WGS 84 / UTM zone 23S\",GEOGCS[\"WGS 84\",DATUM[\"WGS_1984\",SPHEROID[\"WGS 84\",6378137,"
    "298.257223563]],PRIMEM[\"Greenwich\",0],UNIT[\"degree\",0.0174532925199433]],"
    "PROJECTION[\"Transverse_Mercator\"],PARAMETER[\"latitude_of_origin\",0],PARAMETER[\"central_meridian\",-45],"
    "PARAMETER[\"scale_factor\",0.9996],PARAMETER[\"false_easting\",500000],PARAMETER[\"false_northing\",10000000],"
    "UNIT[\"metre\",1],AUTHORITY[\"EPSG\",\"32723\"]]";

CSaveSettings Placed() {
  CSaveSettings s;
  s.upperLeftX = 183557;
  s.upperLeftY = 8258937;
  s.lowerRightX = 195017;
  s.lowerRightY = 8246277;
  s.resolutionX = 30;
  s.resolutionY = -30;
  s.rotationX = 0.5;
  s.rotationY = -0.25;
  s.crsWkt = kWkt;
  return s;
}

CSaveSettings RoundTrip(const CSaveSettings& settings) {
  CTempFolder folder;
  ProfileText profile;
  WriteSaveSettings(settings, profile);
  EXPECT_EQ(profile.Write(folder.File("p.orw"), std::time_t(0)), 0);
  ProfileText read;
  EXPECT_EQ(read.Read(folder.File("p.orw")), 0);
  CSaveSettings back;
  ReadSaveSettings(back, read);
  return back;
}

TEST(GeoSettings, GeotransformAndCrsAreKeptWithTheProject) {
  ProfileText profile;
  WriteSaveSettings(Placed(), profile);
  EXPECT_EQ(profile.GetText("Saving settings", "GeoTransform").value_or(""),
            "183557,30,0.5,8258937,-0.25,-30");
  EXPECT_EQ(RoundTrip(Placed()), Placed());
  // A value is one word in the project: blanks and line ends are escaped.
  EXPECT_EQ(profile.GetText("Saving settings", "CoordinateSystem").value_or("").find(' '), std::string::npos);
  CSaveSettings pretty = Placed();
  pretty.crsWkt = "PROJCS[\"x 100%\",\n  GEOGCS[\"%20\"]]";
  EXPECT_EQ(RoundTrip(pretty).crsWkt, "PROJCS[\"x 100%\",   GEOGCS[\"%20\"]]");
}

TEST(GeoSettings, ProjectsWithoutTheNewKeysOpenAsBefore) {
  ProfileText profile;
  profile.SetDouble("Saving settings", "UpperLeftX", 10);
  profile.SetDouble("Saving settings", "ResolutionX", 2);
  CSaveSettings settings = Placed();
  ReadSaveSettings(settings, profile);
  EXPECT_EQ(settings.upperLeftX, 10);
  EXPECT_EQ(settings.rotationX, 0);
  EXPECT_EQ(settings.rotationY, 0);
  EXPECT_EQ(settings.crsWkt, "");
  // And unplaced settings write no geotransform, a CRS that would not fit no CRS.
  ProfileText empty;
  CSaveSettings unplaced;
  unplaced.crsWkt = std::string(ProfileText::kMaxValueLength + 1, 'x');
  WriteSaveSettings(unplaced, empty);
  EXPECT_FALSE(empty.GetText("Saving settings", "GeoTransform"));
  EXPECT_FALSE(empty.GetText("Saving settings", "CoordinateSystem"));
}

TEST(GeoSettings, OpeningAGeoTiffTakesItsPlaceAndSystem) {
  CTempFolder folder;
  RasterToWrite raster;
  raster.width = 8;
  raster.height = 6;
  raster.pixels.assign(48, 0);
  for (int i = 0; i < 48; ++i) raster.pixels[std::size_t(i)] = std::uint8_t(i * 5);
  raster.georeference.known = true;
  raster.georeference.left = 183557;
  raster.georeference.top = 8258937;
  raster.georeference.pixelWidth = 30;
  raster.georeference.pixelHeight = -30;
  raster.georeference.crsWkt = kWkt;
  std::string reason;
  ASSERT_EQ(WriteRasterFile(folder.File("scene.tif"), raster, reason), 0) << reason;

  CTestHost host;
  CWorkspace workspace(host);
  ASSERT_TRUE(workspace.LoadBaseImage(folder.File("scene.tif"), 1)) << host.OnlyMessageText();
  const CSaveSettings& s = workspace.saveSettings;
  EXPECT_EQ(s.upperLeftX, 183557);
  EXPECT_EQ(s.upperLeftY, 8258937);
  EXPECT_EQ(s.lowerRightX, 183557 + 8 * 30);
  EXPECT_EQ(s.lowerRightY, 8258937 - 6 * 30);
  EXPECT_NE(s.crsWkt.find("UTM zone 23S"), std::string::npos);
}

}  // namespace
}  // namespace linea
