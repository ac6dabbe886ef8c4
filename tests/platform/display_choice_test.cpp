#include "platform/display_choice.h"

#include <gtest/gtest.h>

namespace tavrel {
namespace {

using enum DisplaySystem;
using Systems = std::vector<DisplaySystem>;

TEST(DisplayChoice, WaylandWhereACompositorIsNamedThenX11)
{
    EXPECT_EQ(DisplaysToTry({ "", true, true }), (Systems { Wayland, X11 }));
    EXPECT_EQ(DisplaysToTry({ "", true, false }), (Systems { Wayland }));
    EXPECT_EQ(DisplaysToTry({ "", false, true }), (Systems { X11 }));
    EXPECT_EQ(DisplaysToTry({ "", false, false }), Systems {});
}

TEST(DisplayChoice, SdlVideoDriverForcesItsChoiceWhateverIsNamed)
{
    EXPECT_EQ(DisplaysToTry({ "x11", true, true }), (Systems { X11 }));
    EXPECT_EQ(DisplaysToTry({ "wayland", false, true }), (Systems { Wayland }));
    EXPECT_EQ(DisplaysToTry({ "Wayland", false, false }), (Systems { Wayland }));
    // A list is tried in its order; drivers this program has not, and repeats, are passed over.
    EXPECT_EQ(DisplaysToTry({ "kmsdrm, x11 ,wayland,x11", true, true }), (Systems { X11, Wayland }));
}

TEST(DisplayChoice, ADriverThisProgramHasNotLeavesTheChoiceToTheEnvironment)
{
    EXPECT_EQ(DisplaysToTry({ "windows", true, true }), (Systems { Wayland, X11 }));
    EXPECT_EQ(DisplaysToTry({ ",", false, true }), (Systems { X11 }));
}

}
}
