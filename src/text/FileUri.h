#pragma once

// Local paths as file URIs and back, on raw path bytes: a name that is not valid UTF-8 keeps
// its bytes, escaped as %XX.

#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

// "file://" and the path with every byte escaped but the letters, digits and
// -._~!$&'()*+,=:@/ that file managers leave as they are ("/a b/ü" -> "file:///a%20b/%C3%BC").
// The path must be absolute.
std::string FileUri(std::string_view absolutePath);

// The first line of a text/uri-list that names a file of this machine, as a path of raw bytes;
// nullopt when there is none. Comment lines and URIs of other schemes or hosts are passed over.
std::optional<std::string> FirstLocalPath(std::string_view uriList);

// The path made absolute against `workingDirectory`, with "." and ".." segments and repeated
// separators resolved by the text alone, links left as they are; no trailing "/" but for "/".
std::string AbsolutePath(std::string_view path, std::string_view workingDirectory);

} // namespace quorvel
