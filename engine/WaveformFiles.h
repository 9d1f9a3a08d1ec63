#pragma once
// Single-waveform files of the document: the binary reference (".rfc"), the old text reference
// (".ref"), the CSV waveform and the text exports (".txt", ".doc", ".xls"). The readers and
// writers are CKelvaneDoc methods (bodies in WaveformFiles.cpp); this header holds what they
// share with the tests and the fuzz targets.
#include <cstdint>

class CTrace;

namespace kv {

// Points of the window that the CSV writer takes from a long record.
constexpr int kCsvWindowPoints = 10240;
// Samples spanned by that window, and the samples per min/max bucket.
constexpr int kCsvWindowSamples = 512000;
constexpr int kCsvBucketSamples = 100;
// Window length a channel takes once its long record went through the window copy.
constexpr std::int32_t kCsvWindowLength = 25000;
// Bytes before the samples of a ".rfc" file.
constexpr int kReferenceHeaderBytes = 18;
// Lines after which a form-A ".ref" file without its "." separator is given up.
constexpr long kMaxOldReferenceLines = 100000000;
// Largest files the readers take; anything larger is refused unread. A ".rfc" file of the longest
// record (524288 samples) has about 1 MiB; a CSV file of 32768 points less than 1 MiB.
constexpr std::uint64_t kMaxReferenceFileBytes = 4u << 20;
constexpr std::uint64_t kMaxTextWaveformFileBytes = 64u << 20; // ".csv" and ".ref"

} // namespace kv

// Copies kv::kCsvWindowPoints points of the trace's work record into dest: a 10240-sample record
// as it is; a longer one as the minimum and maximum of each 100-sample bucket of the 512000-sample
// window around the horizontal position h (0..500), which also sets the window length to 25000.
// Window samples that lie outside the record read as the zero line. dest holds 10240 values.
void CopyRecordWindow(CTrace& trace, int horizontalPosition, std::int16_t* dest);
