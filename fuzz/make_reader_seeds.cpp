// Writes the starting corpora of the file-reader fuzz targets, one folder per
// target below the folder given, each seed made by the program's own writers (the
// project and result-file savers, the raw and grid writers, the description
// writer) or, for the formats only other programs write, spelled out here.
//   make_reader_seeds <folder>

#include <sys/stat.h>
#include <tiffio.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/binary_io.h"
#include "base/profile_text.h"
#include "fuzz_support.h"
#include "imaging/image.h"
#include "imaging/image_codecs.h"
#include "layers/bitmap_layer.h"
#include "layers/description_file.h"
#include "layers/layer_stack.h"
#include "layers/raster_export.h"
#include "project/workspace.h"
#include "results/result_files.h"
#include "results/results.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

std::string g_root;  // the output folder of this run (set once in main)
int g_failures = 0;

Bytes ReadAll(const std::string& path) {
  Bytes bytes;
  if (linea::ReadFileBytes(path, bytes, 1 << 26) != linea::ReadFileResult::Ok) bytes.clear();
  return bytes;
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

void Seed(const std::string& target, const std::string& name, const Bytes& bytes) {
  const std::string folder = g_root + "/" + target;
  ::mkdir(folder.c_str(), 0777);
  std::FILE* f = std::fopen((folder + "/" + name).c_str(), "wb");
  if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) ++g_failures;
  if (f) std::fclose(f);
}

linea::CImage GreyImage(int width, int height) {
  linea::CImage image;
  image.Create(width, height, 8);
  for (int i = 0; i < 256; ++i) image.SetColorForIndex(i, linea::MakeColor(std::uint8_t(i), std::uint8_t(i), std::uint8_t(i)));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.Row(y)[x] = std::uint8_t(x * 16 + y * 3);
  return image;
}

// Results of a small project: every kind present.
void FillResults(linea::CResults& results, std::uint32_t gridWidth, std::uint32_t gridHeight) {
  results.gridWidth = gridWidth;
  results.gridHeight = gridHeight;
  results.stripeCodes.resize(std::size_t(gridWidth) * gridHeight);
  for (std::size_t i = 0; i < results.stripeCodes.size(); ++i) results.stripeCodes[i] = std::uint8_t(i % 17);
  results.DeriveStripeClasses();
  results.hasStripes = true;
  results.hasGlobalRose = results.ComputeGlobalRose() == 0;
  results.windowRoses = {1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 9, 0, 0, 65535, 1, 1};
  results.hasWindowRoses = true;
  linea::BlockRose rose;
  rose.header = {0, 4, 4};
  rose.sectors = {5, 1, 0, 2, 7, 0, 0, 3};
  results.blockRoses = {rose, rose};
  results.blockRoses[1].header = {1, -3, 12};
  results.hasBlockRoses = true;
  linea::LineamentRecord record;
  record.bytes = {1, 0, 2, 0, 45, 0, 30, 0, 9, 9};
  results.lineaments = {record, record};
  results.lineaments[1].bytes[4] = 179;
  results.hasLineaments = true;
}

void ProfileTextSeeds(const std::string& scratch) {
  linea::ProfileText profile;
  profile.SetText("Version", "Number", "3.1");
  profile.SetText("Main", "BaseImage", "area.tif");
  profile.SetInt("Main", "type", 1);
  profile.SetDouble("Compression", "Rate", 2.5);
  profile.SetInt("Calc window roses", "rose_wind", 64);
  profile.Write(scratch + "written.orw", 0);
  const Bytes written = ReadAll(scratch + "written.orw");
  Seed("profile_text", "written.orw", written);
  std::string crlf;
  for (char c : std::string(written.begin(), written.end())) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  Seed("profile_text", "crlf.orw", Text(crlf));
  Seed("profile_text", "includes.orw",
       linea::fuzz::JoinFiles({Text("; main\n[Main]\nWidth = 10 ; ten\n#include a.inc\n[main]\nHeight=4\n"),
                               Text("[Calc stripes]\nTR_Linear = 5\n#include b.inc\n"),
                               Text("[ Spaced ]\nkey = two words\nno equals here\n[Broken\n")}));
}

void ResultFileSeeds(const std::string& scratch) {
  linea::CResults results;
  FillResults(results, 6, 5);
  linea::ProfileText profile;
  const std::string project = scratch + "seed.orw";
  if (linea::SaveResults(results, profile, project) != 0) ++g_failures;
  const std::string base = linea::ResultFileBase(project);
  std::vector<Bytes> files = {Bytes{0xF}};
  for (const char* extension : {".str", ".gr", ".ros", ".br", ".orl"}) files.push_back(ReadAll(base + extension));
  Seed("result_files", "all.bin", linea::fuzz::JoinFiles(files));
  files[0] = Bytes{0x1};
  files[2].clear();  // stripes without a global rose file: the rose is counted
  Seed("result_files", "stripes_only.bin", linea::fuzz::JoinFiles(files));
}

void RawSeeds(const std::string& scratch) {
  linea::CImage image = GreyImage(8, 6);
  linea::WriteRaw(scratch + "seed.raw", image);
  Bytes raw = ReadAll(scratch + "seed.raw");
  Bytes given = {1, 8, 0, 6, 0, 1};
  given.insert(given.end(), raw.begin(), raw.end());
  Seed("raw_read", "given_size.bin", given);
  Bytes asked = {1, 0, 0, 0, 0, 0};
  Bytes square(64, 7);
  asked.insert(asked.end(), square.begin(), square.end());
  Seed("raw_read", "asked_size.bin", asked);
  Bytes model = {2, 4, 0, 4, 0, 2};  // a 16-bit elevation model
  for (int i = 0; i < 16; ++i) model.push_back(std::uint8_t(i * 11)), model.push_back(std::uint8_t(i));
  Seed("raw_read", "model16.bin", model);
}

void GridSeeds() {
  Bytes grid;
  linea::CImage image = GreyImage(5, 4);
  if (!linea::FindCodecByFormat(linea::kImageFormatGrid)->write(image, grid)) ++g_failures;
  Seed("grid_read", "written.grd", grid);
  Seed("grid_read", "blanks.grd",
       Text("DSAA\n3 2\n0 2\n10 11\n-5 100\n1.70141e+38 -5 -6\n100 50.5 1e2\n"));
}

void SideFileSeeds(const std::string& scratch) {
  // The world file as GIS programs write it: six numbers, one a line.
  Seed("side_files", "world.bin", Text(std::string("\x20\x10", 2) + "30.0\n0.0\n0.0\n-30.0\n500015.0\n7000015.0\n"));
  linea::fuzz::CSilentHost host;
  linea::CLayerStack stack(host);
  auto layer = std::make_unique<linea::CBitmapLayer>("Исходное", false);
  linea::CImage image = GreyImage(4, 4);
  layer->Image() = image;
  layer->SetDescription("512x400x16 DTM relief.grd");
  stack.AddLayer(std::move(layer));
  linea::WriteDescription(stack, scratch + "notes.txt");
  Bytes description = {4, 4};
  Bytes text = ReadAll(scratch + "notes.txo");
  description.insert(description.end(), text.begin(), text.end());
  Seed("side_files", "description.bin", description);
  Seed("side_files", "cp1251.bin", Text("\x08\x08\xD0\xE5\xEB\xFC\xE5\xF4 \xB9 1\n"));
}

Bytes ElevationTiff(const std::string& scratch, int bits, int format, bool geo) {
  const std::string path = scratch + "model.tif";
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  if (!tif) return {};
  const int width = 6, height = 4;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, format);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 2);
  if (geo) {
    static const TIFFFieldInfo kGeoFields[] = {
        {33550, -1, -1, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1, const_cast<char*>("ModelPixelScale")},
        {33922, -1, -1, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1, const_cast<char*>("ModelTiepoint")},
        {42113, -1, -1, TIFF_ASCII, FIELD_CUSTOM, 1, 0, const_cast<char*>("GDALNoData")},
    };
    TIFFMergeFieldInfo(tif, kGeoFields, 3);
    double scale[3] = {30, 30, 0};
    double tiepoint[6] = {0, 0, 0, 500000, 7000000, 0};
    TIFFSetField(tif, 33550, 3, scale);
    TIFFSetField(tif, 33922, 6, tiepoint);
    TIFFSetField(tif, 42113, "-9999");
  }
  const int bytes = bits / 8;
  std::vector<std::uint8_t> row(std::size_t(width) * bytes);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      double value = y == 1 && x == 2 ? -9999 : 100 + x * 7 + y * 3;
      std::uint8_t* p = row.data() + x * bytes;
      if (format == SAMPLEFORMAT_IEEEFP && bits == 32) {
        float f = float(value);
        std::memcpy(p, &f, 4);
      } else if (format == SAMPLEFORMAT_IEEEFP) {
        std::memcpy(p, &value, 8);
      } else if (bits == 16) {
        std::int16_t v = std::int16_t(value);
        std::memcpy(p, &v, 2);
      } else if (bits == 32) {
        std::int32_t v = std::int32_t(value);
        std::memcpy(p, &v, 4);
      } else {
        *p = std::uint8_t(value < 0 ? 0 : value);
      }
    }
    TIFFWriteScanline(tif, row.data(), std::uint32_t(y), 0);
  }
  TIFFClose(tif);
  return ReadAll(path);
}

// The first byte picks the extension (0 .tif, 2 .asc) and, with 4, greyscale.
Bytes WithSelector(std::uint8_t selector, Bytes file) {
  file.insert(file.begin(), selector);
  return file;
}

void ElevationTiffSeeds(const std::string& scratch) {
  Seed("gdal_import", "int16_geo.tif", WithSelector(0, ElevationTiff(scratch, 16, SAMPLEFORMAT_INT, true)));
  Seed("gdal_import", "float32_geo.tif", WithSelector(0, ElevationTiff(scratch, 32, SAMPLEFORMAT_IEEEFP, true)));
  Seed("gdal_import", "float64.tif", WithSelector(4, ElevationTiff(scratch, 64, SAMPLEFORMAT_IEEEFP, false)));
  Seed("gdal_import", "uint8.tif", WithSelector(4, ElevationTiff(scratch, 8, SAMPLEFORMAT_UINT, false)));
  Seed("gdal_import", "int32.tif", WithSelector(0, ElevationTiff(scratch, 32, SAMPLEFORMAT_INT, false)));
  const std::string grid =
      "ncols 4\nnrows 3\nxllcorner 100\nyllcorner 200\ncellsize 30\nNODATA_value -9999\n"
      "1 2 3 4\n5 6.5 7 8\n9 10 -9999 12\n";
  Seed("gdal_import", "grid.asc", WithSelector(2, Bytes(grid.begin(), grid.end())));
}

// A project folder as the project target unpacks it.
Bytes ProjectFolder(const std::string& folder) {
  std::vector<Bytes> files;
  for (const char* name : {"p.orw", "p.str", "p.gr", "p.ros", "p.br", "p.orl", "base.raw", "base.tif"})
    files.push_back(ReadAll(folder + name));
  return linea::fuzz::JoinFiles(files);
}

void ProjectSeeds(const std::string& scratch) {
  const std::string folder = scratch + "project/";
  ::mkdir(folder.c_str(), 0777);
  linea::fuzz::CSilentHost host;
  {
    // A greyscale project with every result.
    GreyImage(12, 10).Save(folder + "base.tif", linea::kImageFormatTiff);
    linea::CWorkspace workspace(host);
    if (!workspace.LoadBaseImage(folder + "base.tif", 1)) ++g_failures;
    FillResults(workspace.results, workspace.results.gridWidth, workspace.results.gridHeight);
    if (workspace.SaveProject(folder + "p.orw") != 0) ++g_failures;
    Seed("project_load", "greyscale.bin", ProjectFolder(folder));
  }
  for (const char* name : {"p.orw", "p.str", "p.gr", "p.ros", "p.br", "p.orl", "base.tif"})
    std::remove((folder + name).c_str());
  {
    // A 16-bit elevation model from a raw file, with window roses only.
    Bytes raw;
    for (int i = 0; i < 64; ++i) raw.push_back(std::uint8_t((i * 37) % 251)), raw.push_back(std::uint8_t(i / 9));
    linea::fuzz::WriteScratchFile(folder + "base.raw", raw);
    linea::CWorkspace workspace(host);
    if (!workspace.LoadBaseImage(folder + "base.raw", 3)) ++g_failures;
    workspace.results.windowRoses = {3, 1, 4, 1, 5, 9, 2, 6};
    workspace.results.hasWindowRoses = true;
    if (workspace.SaveProject(folder + "p.orw") != 0) ++g_failures;
    Seed("project_load", "elevation.bin", ProjectFolder(folder));
    workspace.rosesCombination = true;
    if (workspace.SaveProject(folder + "p.orw") != 0) ++g_failures;
    Seed("project_load", "combination.bin", ProjectFolder(folder));
  }
}

// Option lists of the render target: the first byte picks the project and the
// picture format, then one argument a line.
void CliRenderSeeds() {
  using namespace std::string_view_literals;
  const std::string_view lists[] = {
      "\x00--stripes\n--global-rose\n--block-roses"sv,
      "\x01--highlight\n--zoom\n0.5"sv,
      "\x00--map\ndensity\n--scaling\nauto\n--isolines\n--band\n6000\n9000"sv,
      "\x02--map\na\n--local\n--steps\n12\n--extremum\nmax\n--width\n3"sv,
      "\x00--lineaments\n--sector\n1\n--sectors\n4\n--order\n--threshold\n47"sv,
      "\x00--lineaments\n--range\n0\n90\n--order\n--sectors\n500"sv,
      "\x04--lineaments\n--rose\n--beams\n36\n--window\n5\n--hide\nИсходное"sv,
      "\x01--map\nmain-direction\n--vector-step\n2\n--describe\n@txo"sv,
  };
  int number = 0;
  for (std::string_view list : lists)
    Seed("cli_render", "options" + std::to_string(number++) + ".txt", Text(std::string(list)));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_reader_seeds <folder>\n");
    return 2;
  }
  g_root = argv[1];
  ::mkdir(g_root.c_str(), 0777);
  const std::string scratch = linea::fuzz::ScratchFolder();
  ProfileTextSeeds(scratch);
  ResultFileSeeds(scratch);
  RawSeeds(scratch);
  GridSeeds();
  SideFileSeeds(scratch);
  ElevationTiffSeeds(scratch);
  ProjectSeeds(scratch);
  CliRenderSeeds();
  std::string command = "rm -rf '" + scratch + "'";
  if (std::system(command.c_str()) != 0) ++g_failures;
  if (g_failures) std::fprintf(stderr, "make_reader_seeds: %d seeds could not be made\n", g_failures);
  return g_failures ? 1 : 0;
}
