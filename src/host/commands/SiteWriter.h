// The web command's site on disk: written the way every output is, nothing
// through a link, each file through a temporary renamed into place, and the
// whole site built in a hidden folder beside the target and renamed into
// place, so a rerun replaces the earlier site whole.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace velmora {

// Why a file of the show cannot be listed in a site: a control character (a
// line feed would split the page's list of files). Empty when it can.
std::string siteNameRefusal(const std::string& name);

// Why `out` cannot take the site: a link; the show's own folder, a folder
// that holds it, or one inside it that holds a file the show reads
// (`showFiles`, relative to `showFolder`); something else than a folder; a
// folder that is neither empty nor a site this command wrote. Empty when it can.
std::string siteOutputRefusal(const std::filesystem::path& out, const std::filesystem::path& showFolder,
                              const std::vector<std::string>& showFiles);

// Writes the player's files, the show's files under show/ and `listing` as
// show.txt, then puts the site in the place of `out` (an earlier site is
// removed only once the new one is whole). Empty on success, else why not.
// `watchStamp`, when given, goes into watch.txt: a page served from the site
// looks at it to pick up a repacked show.
std::string writeSite(const std::filesystem::path& out, const std::filesystem::path& player,
                      const std::vector<std::string>& playerFiles, const std::vector<std::string>& showFiles,
                      const std::string& listing, const std::string& watchStamp = {});

}  // namespace velmora
