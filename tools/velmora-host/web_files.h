// The preview page's files, built into the program (web/, by
// embed_web.cmake), so that `velmora-host serve` needs no network and no
// files beside it.
#pragma once

#include <string_view>

namespace velmora::cli {

struct WebFile {
    std::string_view name;
    std::string_view type;   // the Content-Type
    std::string_view bytes;
};

// The file of that name ("index.html", "app.js"...); null when there is none.
const WebFile* FindWebFile(std::string_view name);

}  // namespace velmora::cli
