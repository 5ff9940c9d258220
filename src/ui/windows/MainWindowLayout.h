#pragma once

#include "ui/windows/ControlLayout.h"

// Where every control of the main window stands, in twips, with its font,
// caption and the name a screen reader says, and the order Tab goes through
// them. The window is built from this table.

enum class MainControl {
    Client,  // the area below the menu bar that holds the rest
    DriveList,
    FolderList,
    ConversionList,
    NameFrame,
    PrefixLabel,
    PrefixEdit,
    StartNumberLabel,
    StartNumberEdit,
    SuffixLabel,
    SuffixEdit,
    OptionFrame,
    MoveToFolderBox,
    OwnNameBox,
    ConvertButton,
    ClearButton,
    DestinationButton,
    DestinationStrip,
};

// Parents come before their children.
// clang-format off
inline constexpr ControlLayout<MainControl> kMainWindowLayout[] = {
    {MainControl::DriveList, "driveList", MainControl::Client, 120, 97, 2205, 300,
     {FontFace::Proportional, 9}, u"", u"ドライブ"},
    {MainControl::FolderList, "folderList", MainControl::Client, 120, 472, 2205, 1140,
     {FontFace::Proportional, 9}, u"", u"フォルダー"},
    {MainControl::ConversionList, "conversionList", MainControl::Client, 120, 1687, 2205, 2010,
     {FontFace::Proportional, 9.75}, u"", u"変換するファイル"},
    {MainControl::NameFrame, "nameFrame", MainControl::Client, 2475, 90, 2130, 1860,
     {FontFace::Fixed, 9, true}, u"ファイル名設定", nullptr},
    {MainControl::PrefixLabel, "prefixLabel", MainControl::NameFrame, 135, 450, 420, 240,
     {FontFace::Fixed, 9}, u"前：", nullptr},
    {MainControl::PrefixEdit, "prefixEdit", MainControl::NameFrame, 495, 360, 1500, 375,
     {FontFace::Fixed, 12}, u"", u"前："},
    {MainControl::StartNumberLabel, "startNumberLabel", MainControl::NameFrame, 45, 900, 1095,
     330, {FontFace::Fixed, 9}, u"開始番号：", nullptr},
    {MainControl::StartNumberEdit, "startNumberEdit", MainControl::NameFrame, 1035, 825, 960, 375,
     {FontFace::Fixed, 12}, u"1", u"開始番号："},
    {MainControl::SuffixLabel, "suffixLabel", MainControl::NameFrame, 135, 1395, 420, 285,
     {FontFace::Fixed, 9}, u"後：", nullptr},
    {MainControl::SuffixEdit, "suffixEdit", MainControl::NameFrame, 495, 1305, 1500, 375,
     {FontFace::Fixed, 12}, u"", u"後："},
    {MainControl::OptionFrame, "optionFrame", MainControl::Client, 2475, 2070, 2130, 1005,
     {FontFace::Fixed, 9, true}, u"オプション設定", nullptr},
    {MainControl::MoveToFolderBox, "moveToFolderBox", MainControl::OptionFrame, 135, 270, 1860,
     330, {FontFace::Proportional, 9.75}, u"保存先を変更する", nullptr},
    {MainControl::OwnNameBox, "ownNameBox", MainControl::OptionFrame, 135, 585, 1905, 375,
     {FontFace::Proportional, 9.75}, u"元ﾌｧｲﾙ名＋連番", nullptr},
    {MainControl::ConvertButton, "convertButton", MainControl::Client, 2475, 3150, 1545, 555,
     {FontFace::Fixed, 12, true}, u"変換", nullptr},
    {MainControl::ClearButton, "clearButton", MainControl::Client, 4005, 3150, 600, 555,
     {FontFace::Proportional, 9}, u"clear", nullptr},
    // The destination row lies below the client area until the window grows
    // to show it.
    {MainControl::DestinationButton, "destinationButton", MainControl::Client, 120, 3825, 825,
     285, {FontFace::Proportional, 9}, u"保存先", nullptr},
    {MainControl::DestinationStrip, "destinationStrip", MainControl::Client, 1035, 3825, 3615, 285,
     {FontFace::Proportional, 9.75}, u"", u"保存先フォルダー"},
};
// clang-format on

inline constexpr MainControl kMainWindowTabOrder[] = {
    MainControl::DriveList,       MainControl::FolderList,     MainControl::PrefixEdit,
    MainControl::StartNumberEdit, MainControl::SuffixEdit,     MainControl::DestinationButton,
    MainControl::ConvertButton,   MainControl::ClearButton,    MainControl::MoveToFolderBox,
    MainControl::OwnNameBox,      MainControl::ConversionList, MainControl::DestinationStrip,
};

// The client area below the menu bar, with the destination row out of sight,
// and the window's outer height with the row out of sight and in view.
inline constexpr int kClientWidth = 4710;
inline constexpr int kClientHeight = 3795;
inline constexpr int kOuterHeightClosed = 4400;
inline constexpr int kOuterHeightOpen = 4800;
