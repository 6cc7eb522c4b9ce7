// The accessory board as the window uses it: chosen from the workspace's
// boards folder, read again for another chip, rewired without leaving pins
// held, and a broken file shown without losing the board area.
#include "app/accessory_board.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/board_picture.h"

namespace zelo::app {
namespace {

namespace fs = std::filesystem;

class AccessoryBoardTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_folder = fs::temp_directory_path() /
                   ("zelo_accessory_" +
                    std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
        fs::copy(fs::path(ZELO_SOURCE_DIR) / "examples" / "boards", m_folder);
        std::ofstream(m_folder / "zz_broken.json") << "{\"leds\": {\"pins\": \"P1\"}, }";
    }
    void TearDown() override { fs::remove_all(m_folder); }
    int IndexOf(const AccessoryBoard& a, const char* file)
    {
        for (size_t i = 0; i < a.Files().size(); ++i)
            if (a.Files()[i].filename() == file) return static_cast<int>(i);
        return -1;
    }
    fs::path m_folder;
};

TEST_F(AccessoryBoardTest, OpensOnTheLedBoardAndFollowsTheChip)
{
    core::Simulator sim;
    AccessoryBoard a;
    a.MachineReset(m_folder, core::ChipModel::C8051, sim);
    ASSERT_EQ(a.Files().size(), 4u);
    EXPECT_EQ(a.Names()[static_cast<size_t>(a.Chosen())], "LEDs and switches");
    EXPECT_TRUE(a.Problems().empty());
    EXPECT_EQ(a.Board().SwitchCount(), 8);

    sim.SelectChip(core::ChipModel::C89Cx051);
    a.MachineReset(m_folder, core::ChipModel::C89Cx051, sim);
    ASSERT_EQ(a.Problems().size(), 1u);
    EXPECT_EQ(a.Board().SwitchCount(), 0);
    EXPECT_EQ(a.Board().LedCount(), 8);
}

TEST_F(AccessoryBoardTest, ABrokenFileLeavesAnEmptyBoardAndItsProblem)
{
    core::Simulator sim;
    AccessoryBoard a;
    a.MachineReset(m_folder, core::ChipModel::C8051, sim);
    a.Rewire(IndexOf(a, "zz_broken.json"), core::ChipModel::C8051, sim);
    ASSERT_EQ(a.Problems().size(), 1u);
    EXPECT_EQ(a.Problems()[0], "zz_broken.json: not valid JSON at line 1, column 26");
    EXPECT_TRUE(a.Board().Wiring().Empty());
    EXPECT_TRUE(LayOutBoard(a.Board().Wiring(), 400).shapes.empty());
    a.AfterStep(sim, false);  // an empty board steps as well
    a.Rewire(IndexOf(a, "lcd.json"), core::ChipModel::C8051, sim);
    EXPECT_TRUE(a.Problems().empty());
    EXPECT_NE(a.Board().Lcd(), nullptr);
}

TEST_F(AccessoryBoardTest, AnotherBoardLetsGoOfTheHeldPins)
{
    core::Simulator sim;
    AccessoryBoard a;
    a.MachineReset(m_folder, core::ChipModel::C8051, sim);
    a.SetButton(sim, 0, true);  // P3.2
    EXPECT_EQ(sim.PinLevels()[3], 0xFB);
    a.Rewire(IndexOf(a, "lcd.json"), core::ChipModel::C8051, sim);
    EXPECT_EQ(sim.PinLevels()[3], 0xFF);
    EXPECT_FALSE(a.Board().ButtonPressed(0));
}

TEST_F(AccessoryBoardTest, ClicksLandOnTheInputsTheyCover)
{
    core::Simulator sim;
    AccessoryBoard a;
    a.MachineReset(m_folder, core::ChipModel::C8051, sim);
    a.Rewire(IndexOf(a, "digits_and_keypad.json"), core::ChipModel::C8051, sim);
    const BoardPicture picture = LayOutBoard(a.Board().Wiring(), 480);
    for (const BoardShape& s : picture.shapes) {
        EXPECT_LE(s.x + s.w, 480) << s.label;
        if (s.part != BoardPart::Key) continue;
        const auto hit = HitBoardInput(picture, s.x + s.w / 2, s.y + s.h / 2);
        ASSERT_TRUE(hit);
        EXPECT_EQ(hit->index, s.index);
        EXPECT_EQ(hit->label, std::string(1, "123A456B789C*0#D"[s.index]));
    }
    EXPECT_FALSE(HitBoardInput(picture, 1, 1));
}

}  // namespace
}  // namespace zelo::app
