#include "base/field_kinds.h"

#include "base/string_table.h"

namespace linea {
namespace {

constexpr int kFullNames[kFieldKindCount] = {132, 133, 134, 135, 136, 137, 138, 139, 140, 141, 142,
                                             143, 144, 145, 165, 146, 147, 148, 149, 150, 151};
constexpr int kEnglishNames[kFieldKindCount] = {180, 181, 182, 183, 184, 185, 186, 187, 188, 189, 190,
                                                191, 192, 193, 166, 194, 195, 196, 197, 198, 199};
constexpr int kNonDensityNames[12] = {141, 142, 143, 144, 145, 165, 146, 147, 148, 149, 150, 151};
constexpr int kLocalNames[10] = {133, 134, 135, 136, 137, 138, 139, 140, 144, 146};
constexpr int kBothNames[2] = {144, 146};

constexpr char kCodes[45] = {
    // 0..20: the full list
    'a', '1', '2', '3', '4', '5', '6', '7', '8', 'r', 'w', 'd', 'b', 'p', '{', 'z', 'v', 'u', 'q', 'x', 'y',
    // 21..22: both normalisations
    'b', 'z',
    // 23..34: global normalisation
    'r', 'w', 'd', 'b', 'p', '{', 'z', 'v', 'u', 'q', 'x', 'y',
    // 35..44: local normalisation
    '1', '2', '3', '4', '5', '6', '7', '8', 'b', 'z'};

struct KindList {
  std::span<const int> names;
  int firstCode;
};

KindList ListFor(bool local, bool global) {
  if (!local && !global) return {kFullNames, 0};
  if (!local && global) return {kNonDensityNames, 23};
  if (local && !global) return {kLocalNames, 35};
  return {kBothNames, 21};
}

}  // namespace

std::span<const int> FieldKindNameIds() { return kFullNames; }
std::span<const int> FieldKindEnglishNameIds() { return kEnglishNames; }
std::span<const int> NonDensityKindNameIds() { return kNonDensityNames; }
std::span<const int> LocallyNormalisedKindNameIds() { return kLocalNames; }
std::span<const int> BothNormalisedKindNameIds() { return kBothNames; }
std::span<const char> MapKindCodes() { return kCodes; }

int MapKindCount(bool local, bool global) { return int(ListFor(local, global).names.size()); }

char MapKindCode(bool local, bool global, int position) {
  KindList list = ListFor(local, global);
  if (position < 0 || position >= int(list.names.size())) return 0;
  return kCodes[list.firstCode + position];
}

std::string MapKindName(bool local, bool global, int position) {
  KindList list = ListFor(local, global);
  if (position < 0 || position >= int(list.names.size())) return {};
  return LoadText(list.names[position]);
}

int MapKindIndex(char code) {
  for (int i = 0; i < kFieldKindCount; ++i)
    if (kCodes[i] == code) return i;
  return -1;
}

std::string MapKindEnglishName(char code) {
  int index = MapKindIndex(code);
  return index < 0 ? std::string() : LoadText(kEnglishNames[index]);
}

}  // namespace linea
