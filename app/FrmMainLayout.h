// The window's layout, shared by both views: each control's bounds in pixels
// (inside its group box for the controls of a group, else in the client
// area), the box it sits in, and its caption. The status label's bounds are
// its first ones; it keeps its right edge and grows left with its text.
#pragma once

#include "app/FrmMainTexts.h"
#include "app/FrmMainView.h"

namespace vantora {

struct ControlLayout {
  Ctl control;
  int x, y, width, height;
  Ctl group;  // the group box it sits in; itself when in the client area
  const char* caption;  // UTF-8; empty for none
};

namespace text {
inline constexpr char kCtgr[] = " 業種の選択 : ";
inline constexpr char kGrp01[] = " 取得条件の設定 ";
inline constexpr char kCode[] = " 銘柄コードから取得 （','で複数指定可）";
inline constexpr char kAction[] = "取得開始 (&R)";
inline constexpr char kCancel[] = "キャンセル (&C)";
}  // namespace text

// In creation order, which is the tab order.
inline constexpr ControlLayout kFrmMainLayout[] = {
    {Ctl::chkCtgr, 11, 8, 102, 17, Ctl::chkCtgr, text::kCtgr},
    {Ctl::chkAllPages, 150, 8, 98, 17, Ctl::chkAllPages, text::kAllPages},
    {Ctl::lstCtgr, 8, 28, 240, 228, Ctl::lstCtgr, ""},
    {Ctl::grp01, 8, 266, 240, 70, Ctl::grp01, text::kGrp01},
    {Ctl::chkCode, 10, 16, 227, 17, Ctl::grp01, text::kCode},
    {Ctl::txtCode, 10, 38, 220, 20, Ctl::grp01, ""},
    {Ctl::btnAction, 8, 345, 119, 28, Ctl::btnAction, text::kAction},
    {Ctl::btnCancel, 128, 345, 120, 28, Ctl::btnCancel, text::kCancel},
    {Ctl::lblStatus, 235, 376, 16, 12, Ctl::lblStatus, ""},
    {Ctl::prgBar, 0, 390, 256, 16, Ctl::prgBar, ""},
    {Ctl::lblTotal, 8, 410, 240, 14, Ctl::lblTotal, ""},
    {Ctl::grpSite, 8, 428, 240, 126, Ctl::grpSite, text::kSiteGroup},
    {Ctl::txtSite, 10, 18, 162, 22, Ctl::grpSite, ""},
    {Ctl::btnSite, 174, 17, 58, 24, Ctl::grpSite, text::kSiteApply},
    {Ctl::lblSite, 10, 44, 222, 52, Ctl::grpSite, ""},
    {Ctl::btnSampleSite, 10, 98, 222, 24, Ctl::grpSite, text::kSiteSample},
};

// The layout entry of `control`.
constexpr const ControlLayout& LayoutOf(Ctl control) {
  for (const ControlLayout& entry : kFrmMainLayout) {
    if (entry.control == control) return entry;
  }
  return kFrmMainLayout[0];
}

// The window's face: "ＭＳ Ｐゴシック" first; where it is missing, a Japanese
// Gothic face that has the glyphs. Sizes in pixels: the window's and the
// sector list's.
inline constexpr const char* kGothicFaces[] = {"ＭＳ Ｐゴシック", "MS PGothic", "Noto Sans CJK JP", "Noto Sans JP",
                                               "IPAPGothic", "VL PGothic", "TakaoPGothic"};
inline constexpr int kFontPixels = 12;
inline constexpr int kListFontPixels = 13;

// The status label keeps this right edge, this top and height, and never
// starts left of kStatusLeft.
inline constexpr int kStatusRight = 251;
inline constexpr int kStatusTop = 376;
inline constexpr int kStatusHeight = 14;
inline constexpr int kStatusLeft = 4;

}  // namespace vantora
