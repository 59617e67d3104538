#pragma once

#include <string>

// libsndfile keeps part of the decoder's state when the first headers of
// an Ogg Vorbis stream are malformed: a file that fails that way is kept
// from it. The check reads the headers with the Vorbis library itself.
namespace platform {

// False, with the reason, for an Ogg stream whose first packet is a Vorbis
// identification header and whose three Vorbis headers do not all decode;
// true for anything else, which is libsndfile's to judge.
bool OggVorbisHeadersDecode(const std::string& hostPath, std::string* error);

} // namespace platform
