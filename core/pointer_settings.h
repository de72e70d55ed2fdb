#pragma once
// The pointer and the wheel of a slot: which stick moves the pointer, how fast and with which
// response, and what turns the wheel. Kept in one 64-bit word so that the poll thread reads all
// of one edit at once; the word's eight little-endian bytes are the stored "pointer" value.
#include <cstdint>

// The stick pairs a common pad reports through the multimedia joystick interface: the left
// stick on X/Y; the right stick on U/R for an XInput pad under Windows, on Z/R for a DirectInput
// pad (and for every pad whose right stick is Z and Rz).
enum class PointerStick : uint8_t { None, XY, UR, ZR };
// The wheel: the hat's up and down, or the vertical axis of a stick pair (Y, or R).
enum class WheelSource : uint8_t { None, Hat, AxisY, AxisR };
constexpr int kPointerStickChoices = 4;
constexpr int kWheelSourceChoices = 4;

struct PointerSettings {
    PointerStick stick = PointerStick::None;
    uint8_t invertVertical = 0;
    uint8_t curvePercent = 50;    // 0 linear, 100 cubic: slow near the center, fast at the rim
    uint8_t deadZonePercent = 15; // radial, of full deflection
    uint16_t speed = 1000;        // pixels per second at full deflection
    WheelSource wheel = WheelSource::None;
    uint8_t wheelSpeed = 10; // notches per second at full deflection

    bool operator==(const PointerSettings&) const = default;
};

constexpr int kMaxCurvePercent = 100;
constexpr int kMaxDeadZonePercent = 90;
constexpr int kMinPointerSpeed = 10;
constexpr int kMaxPointerSpeed = 5000;
constexpr int kMinWheelSpeed = 1;
constexpr int kMaxWheelSpeed = 60;
constexpr uint32_t kPointerValueSize = 8;

constexpr uint64_t PackPointer(const PointerSettings& p) {
    return uint64_t{static_cast<uint8_t>(p.stick)} | uint64_t{p.invertVertical} << 8 |
           uint64_t{p.curvePercent} << 16 | uint64_t{p.deadZonePercent} << 24 |
           uint64_t{p.speed} << 32 | uint64_t{static_cast<uint8_t>(p.wheel)} << 48 |
           uint64_t{p.wheelSpeed} << 56;
}

constexpr PointerSettings UnpackPointer(uint64_t word) {
    PointerSettings p;
    p.stick = static_cast<PointerStick>(word & 0xFF);
    p.invertVertical = static_cast<uint8_t>(word >> 8);
    p.curvePercent = static_cast<uint8_t>(word >> 16);
    p.deadZonePercent = static_cast<uint8_t>(word >> 24);
    p.speed = static_cast<uint16_t>(word >> 32);
    p.wheel = static_cast<WheelSource>((word >> 48) & 0xFF);
    p.wheelSpeed = static_cast<uint8_t>(word >> 56);
    return p;
}

// No pointer and no wheel, with the default response for when the user chooses a stick.
constexpr uint64_t kDefaultPointerWord = PackPointer(PointerSettings{});

// Every field within its range, and the wheel on an axis the pointer does not use.
bool ValidPointer(const PointerSettings& p);
// The wheel is on an axis of the pointer's stick.
bool WheelClashes(const PointerSettings& p);
// The settings the engine runs with: the word's, or no pointer when they are not valid.
PointerSettings UsablePointer(uint64_t word);
bool PointerInUse(const PointerSettings& p);

constexpr int kNoAxis = -1;
struct StickAxes {
    int horizontal; // axis index 0..5 (X, Y, Z, R, U, V), or kNoAxis
    int vertical;
};
StickAxes AxesOf(PointerStick stick);
int WheelAxisOf(WheelSource wheel); // kNoAxis for none and the hat

// Input-word bits the pointer and the wheel take: the direction bits of their axes, and the
// hat's up and down when the hat is the wheel. Chords, zones and key capture never see them.
uint64_t PointerInputBits(const PointerSettings& p);
