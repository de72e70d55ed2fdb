#pragma once
// The keyboard and the mouse buttons as the system sees them, rebuilt from nothing but the
// injected events, and the rules a stream of those events must keep.
#include <cstdint>
#include <string>

#include "platform/input.h"
#include "tests/fakes/fake_system.h"

// One slot per thing that can be down: keys by virtual key, then the five mouse buttons.
constexpr int kModelMouseFirst = 256;
constexpr int kModelSlots = kModelMouseFirst + kFakeMouseButtons;

// The slot a press of key map code `vk` puts down: a mouse button for 1, 2, 4, 5 and 6.
inline int SlotOfCode(uint8_t vk) {
    constexpr uint8_t kMouseCodes[kFakeMouseButtons] = {1, 2, 4, 5, 6};
    for (int b = 0; b < kFakeMouseButtons; ++b)
        if (kMouseCodes[b] == vk)
            return kModelMouseFirst + b;
    return vk;
}

class KeyStateModel {
  public:
    // Applies one event that arrived. Returns what rule it breaks, or "" when none. A key-up of
    // something that is up is accepted only as the one extra key-up that chord resolution sends
    // after the engine lifted a key its chord still holds. `mayRepeat` marks the events of
    // ReleaseAllKeys, which may lift the same key again while the dialog makes one edit after
    // another, and of a pause and a resume, which sends the pause's releases once more.
    std::string Apply(const InputEvent& e, bool mayRepeat) {
        int slot = 0;
        bool press = false;
        if (!Decode(e, slot, press))
            return "an event that is neither a press nor a release: " + Name(e);
        if (press) {
            down_[slot] = true;
            extraUpAllowed_[slot] = false;
            return "";
        }
        if (down_[slot]) {
            down_[slot] = false;
            extraUpAllowed_[slot] = mayRepeat || liftRefused_[slot];
            liftRefused_[slot] = false;
            return "";
        }
        if (extraUpAllowed_[slot]) {
            extraUpAllowed_[slot] = mayRepeat;
            return "";
        }
        return "release of " + SlotName(slot) + ", which is not down";
    }

    // A release of ReleaseAllKeys that was refused: the key stays down and its release is owed,
    // and the chord that holds it still sends its own release after that one.
    void LiftRefused(const InputEvent& e) {
        int slot = 0;
        bool press = false;
        if (Decode(e, slot, press) && !press && down_[slot])
            liftRefused_[slot] = true;
    }

    bool Down(int slot) const { return down_[slot]; }
    bool AnythingDown() const {
        for (bool d : down_)
            if (d)
                return true;
        return false;
    }

    static std::string SlotName(int slot) {
        if (slot >= kModelMouseFirst)
            return "mouse button " + std::to_string(slot - kModelMouseFirst + 1);
        return "key " + std::to_string(slot);
    }
    static std::string Name(const InputEvent& e) {
        return std::string(e.kind == InputEvent::Key ? "key " : "mouse ") +
               std::to_string(e.kind == InputEvent::Key ? e.vk : e.flags) + " flags " +
               std::to_string(e.flags) + " data " + std::to_string(e.data);
    }

  private:
    static bool Decode(const InputEvent& e, int& slot, bool& press) {
        if (e.kind == InputEvent::Key) {
            if (e.flags & ~(kKeyEventKeyUp | kKeyEventExtended))
                return false;
            slot = e.vk;
            press = (e.flags & kKeyEventKeyUp) == 0;
            return true;
        }
        struct Button {
            uint32_t down, up, data;
        };
        static constexpr Button kButtons[kFakeMouseButtons] = {
            {kMouseLeftDown, kMouseLeftUp, 0},
            {kMouseRightDown, kMouseRightUp, 0},
            {kMouseMiddleDown, kMouseMiddleUp, 0},
            {kMouseXDown, kMouseXUp, kXButton1},
            {kMouseXDown, kMouseXUp, kXButton2}};
        for (int b = 0; b < kFakeMouseButtons; ++b) {
            const Button& button = kButtons[b];
            if (e.data != button.data)
                continue;
            if (e.flags == button.down || e.flags == button.up) {
                slot = kModelMouseFirst + b;
                press = e.flags == button.down;
                return true;
            }
        }
        return false;
    }

    bool down_[kModelSlots]{};
    bool extraUpAllowed_[kModelSlots]{};
    bool liftRefused_[kModelSlots]{};
};
