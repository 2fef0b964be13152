#pragma once

// When a photo was taken, as its own metadata records it.

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace quorvel {

// Microseconds since 1970-01-01 00:00:00 of the wall-clock time the camera recorded, read as if it
// were a time without a zone. Exif times carry no zone, so there is nothing to convert them with;
// an offset in an XMP time is dropped alike, so that every key means the same kind of time and
// key order is the order of the texts shown. Photos of one camera, bursts included, are ordered
// exactly; photos from cameras set to different zones order by their clocks as set.
using CaptureKey = std::int64_t;

// Not read yet: the file has not been looked at.
inline constexpr CaptureKey kCaptureNotRead = std::numeric_limits<CaptureKey>::min();
// Read, and nothing usable found (no metadata, a damaged file, not an image). It sorts before
// every time, as an empty cell does; years 1-9999 keep every real key far above it.
inline constexpr CaptureKey kCaptureNone = kCaptureNotRead + 1;

// Once, on one thread, before any thread calls ReadCaptureTime: the XMP parser's one-time setup,
// with a lock for the namespaces files bring along, and Exiv2's own console messages silenced.
void PrepareCaptureTimeReading();

// The capture time of the file, from the first of these that holds a valid time: Exif
// DateTimeOriginal with SubSecTimeOriginal, Exif DateTimeDigitized with SubSecTimeDigitized, XMP
// exif:DateTimeOriginal, XMP photoshop:DateCreated. kCaptureNone when there is none or the file
// cannot be read. Opens the file for reading only; never throws; safe on several threads at once.
CaptureKey ReadCaptureTime(const std::string& path);

// "YYYY/MM/DD  HH:MM:SS" of the key, seconds cut, not rounded; empty for either sentinel.
std::string CaptureTimeText(CaptureKey key);

// The key of an Exif time "YYYY:MM:DD HH:MM:SS" with its sub-second digits, or kCaptureNone. The
// blank and zero dates cameras write for "unknown" give kCaptureNone.
CaptureKey ParseExifTime(std::string_view dateTime, std::string_view subSeconds);
// The key of an XMP date "YYYY-MM-DD", optionally followed by "Thh:mm", ":ss", ".s…" and a zone
// designator, or kCaptureNone. A date without its day says too little to order photos by.
CaptureKey ParseXmpTime(std::string_view dateTime);

} // namespace quorvel
