#pragma once

namespace stampwell {

// Which side the screen has selected: the work record asks it whether a tap is a start or an end.
class IStampSide {
public:
    virtual ~IStampSide() = default;
    // True when the end side is selected and the start side is not.
    virtual bool IsEndSelected() const = 0;
};

}  // namespace stampwell
