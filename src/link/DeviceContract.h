#pragma once
// What the host sends to the device's firmware and what it relies on in return.
//
// Every command is one output report: report ID 0, command byte, argument 1, argument 2, then
// zeros. Every reply is one input report of which only the first data byte, the reply byte, is
// used. The device store is one byte per address: 0 to 27 configuration (27 the voltage trim),
// 28 to 127 the melody.

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace vexaro {

inline constexpr std::uint16_t kVexaroVendorId = 0x04D8;
inline constexpr std::uint16_t kVexaroProductId = 0x47A1;

namespace command {
inline constexpr std::uint8_t kStatusPoll = 0x73;  // 's': reply 6 while the device is present
inline constexpr std::uint8_t kReadByte = 0x46;    // 'F' address: reply = the stored byte
inline constexpr std::uint8_t kAdHigh = 0x48;      // 'H' 0 0: reply = A/D value, high byte
inline constexpr std::uint8_t kAdLow = 0x4C;       // 'L' 0 0: reply = A/D value, low byte
inline constexpr std::uint8_t kStoreByte = 0x54;   // 'T' address value: stores it, reply 6
inline constexpr std::uint8_t kBeep = 0x42;        // 'B' pitch duration: one beep, reply 6
inline constexpr std::uint8_t kPlay = 0x50;        // 'P' 0 0: plays the melody, reply 6
inline constexpr std::uint8_t kStop = 0x53;        // 'S' 0 0: stops playing, reply 6
}  // namespace command

inline constexpr std::uint8_t kAcknowledge = 6;

inline constexpr std::size_t kStoreSize = 128;
inline constexpr std::uint8_t kSettingsAddressCount = 29;  // addresses 0 to 28 are read as settings
inline constexpr std::uint8_t kTrimAddress = 27;
inline constexpr std::uint8_t kMelodyAddress = 28;
inline constexpr std::size_t kMelodySize = 100;

// The link's buffers hold 8 data bytes, so a usable device has reports of at most 9 bytes
// (report ID plus 8 data bytes). A command needs 3 data bytes out and a reply 1 byte in.
inline constexpr int kMaxReportLength = 9;
inline constexpr int kMinOutputReportLength = 4;
inline constexpr int kMinInputReportLength = 2;

// How long the host waits for one input report before it counts the device as lost.
inline constexpr std::chrono::milliseconds kReadLimit{5000};

}  // namespace vexaro
