// Where the running-program picker keeps its placement between uses.
#pragma once

#include <cstdint>

namespace ui
{

// The picker's frame in screen pixels.
struct PickerPlacement
{
    std::int32_t Top = 0;
    std::int32_t Left = 0;
    std::int32_t Height = 0;
    std::int32_t Width = 0;

    bool operator==(const PickerPlacement &) const = default;
};

// The store of the placement (the settings file in the program).
class PlacementStore
{
  public:
    virtual ~PlacementStore() = default;
    // Values the store does not hold keep those `placement` has. Raises when the store cannot be read.
    virtual void LoadPlacement(PickerPlacement &placement) = 0;
    // Raises when the placement could not be stored.
    virtual void SavePlacement(const PickerPlacement &placement) = 0;
    // True while another program has the store open, so that a save now would have to wait for it.
    virtual bool Held() const = 0;
};

} // namespace ui
