#pragma once
// The five result files beside a project: .str stripe codes, .gr global rose,
// .ros window roses, .br block roses and .orl lineaments.

#include <string>

#include "results/build_progress.h"

namespace linea {

class CAtomicFileSet;
class CResults;
class ProfileText;

// The project path without its last four characters (".orw").
std::string ResultFileBase(const std::string& projectPath);

// Reads every result the profile marks as calculated. Never fails: what cannot
// be read is only absent afterwards (its flag cleared).
// `progress` (when given) hears the fraction done before each file and after the
// last; false stops the loading, the results then partly loaded.
void LoadResults(CResults& results, const ProfileText& profile, const std::string& projectPath,
                 const BuildProgress& progress = nullptr);
// Writes the Main geometry keys, the Calculated keys and the present result
// files. 0, 4 (a file cannot be created) or 6 (a file cannot be written).
int SaveResults(const CResults& results, ProfileText& profile, const std::string& projectPath);
// The variant of a rose-combination project: only the window roses are written.
int SaveCombinationResults(const CResults& results, ProfileText& profile, const std::string& projectPath);
// As above, but the files join `files` and replace the previous ones only when the
// caller commits the set together with the project file: a save that fails
// part-way then keeps every previous file.
int SaveResults(const CResults& results, ProfileText& profile, const std::string& projectPath,
                CAtomicFileSet& files);
int SaveCombinationResults(const CResults& results, ProfileText& profile, const std::string& projectPath,
                           CAtomicFileSet& files);

// Largest result file read into memory: the largest possible stripe grid.
inline constexpr std::uint64_t kMaxResultFileBytes = std::uint64_t(32767) * 32767;

}  // namespace linea
