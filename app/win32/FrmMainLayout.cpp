// TFrmMain's controls in the Win32 view: the native classes, the bounds of
// the shared layout (a group's controls placed inside its box), the fonts
// and the initial states; the creation order is the tab order.
#include <windows.h>
#include <commctrl.h>

#include "app/FrmMainLayout.h"
#include "app/win32/FrmMain.h"
#include "app/win32/WideText.h"
#include "worker/Job.h"

namespace vantora {

namespace {

int CALLBACK NoteFaceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

// The first of the window's faces the system has.
std::wstring GothicFace() {
  const HDC dc = ::GetDC(nullptr);
  std::wstring chosen = Wide(kGothicFaces[0]);
  for (const char* face : kGothicFaces) {
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    const std::wstring name = Wide(face);
    name.copy(query.lfFaceName, LF_FACESIZE - 1);
    bool found = false;
    ::EnumFontFamiliesExW(dc, &query, NoteFaceFound, reinterpret_cast<LPARAM>(&found), 0);
    if (found) {
      chosen = name;
      break;
    }
  }
  ::ReleaseDC(nullptr, dc);
  return chosen;
}

HFONT GothicFont(const std::wstring& face, int pixels) {
  return ::CreateFontW(-pixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS, face.c_str());
}

}  // namespace

void TFrmMain::CreateControls() {
  const std::wstring face = GothicFace();
  font_ = GothicFont(face, kFontPixels);
  listFont_ = GothicFont(face, kListFontPixels);
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);

  for (const ControlLayout& entry : kFrmMainLayout) {
    int x = entry.x;
    int y = entry.y;
    if (entry.group != entry.control) {
      x += LayoutOf(entry.group).x;
      y += LayoutOf(entry.group).y;
    }
    const wchar_t* windowClass = L"Button";
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD exStyle = 0;
    switch (entry.control) {
      case Ctl::chkCtgr:
      case Ctl::chkAllPages:
      case Ctl::chkCode: style |= BS_AUTOCHECKBOX | WS_TABSTOP; break;
      case Ctl::grp01:
      case Ctl::grpSite: style |= BS_GROUPBOX; break;
      case Ctl::btnAction:
      case Ctl::btnCancel:
      case Ctl::btnSite:
      case Ctl::btnSampleSite: style |= BS_PUSHBUTTON | WS_TABSTOP; break;
      case Ctl::lstCtgr:
        windowClass = WC_LISTVIEWW;
        style |= LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP;
        exStyle = WS_EX_CLIENTEDGE;
        break;
      case Ctl::txtCode:
      case Ctl::txtSite:
        windowClass = L"Edit";
        style |= ES_AUTOHSCROLL | WS_TABSTOP;
        exStyle = WS_EX_CLIENTEDGE;
        break;
      case Ctl::lblStatus: windowClass = L"Static"; style |= SS_RIGHT | SS_NOPREFIX; break;
      case Ctl::lblTotal: windowClass = L"Static"; style |= SS_LEFT | SS_NOPREFIX; break;
      case Ctl::lblSite: windowClass = L"Static"; style |= SS_LEFT | SS_NOPREFIX; break;
      case Ctl::prgBar: windowClass = PROGRESS_CLASSW; break;
    }
    const HWND control =
        ::CreateWindowExW(exStyle, windowClass, Wide(entry.caption).c_str(), style, x, y, entry.width, entry.height,
                          hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(100 + static_cast<int>(entry.control))),
                          instance, nullptr);
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(entry.control == Ctl::lstCtgr ? listFont_ : font_),
                   FALSE);
    switch (entry.control) {
      case Ctl::chkCtgr: chkCtgr = control; break;
      case Ctl::chkAllPages: chkAllPages = control; break;
      case Ctl::lstCtgr: lstCtgr = control; break;
      case Ctl::grp01: grp01 = control; break;
      case Ctl::chkCode: chkCode = control; break;
      case Ctl::txtCode: txtCode = control; break;
      case Ctl::btnAction: btnAction = control; break;
      case Ctl::btnCancel: btnCancel = control; break;
      case Ctl::lblStatus: lblStatus = control; break;
      case Ctl::prgBar: prgBar = control; break;
      case Ctl::lblTotal: lblTotal = control; break;
      case Ctl::grpSite: grpSite = control; break;
      case Ctl::txtSite: txtSite = control; break;
      case Ctl::btnSite: btnSite = control; break;
      case Ctl::lblSite: lblSite = control; break;
      case Ctl::btnSampleSite: btnSampleSite = control; break;
    }
  }

  // The sector list: one column of checkable items, one per sector.
  ListView_SetExtendedListViewStyle(lstCtgr, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  LVCOLUMNW column{};
  column.mask = LVCF_WIDTH;
  column.cx = LayoutOf(Ctl::lstCtgr).width - ::GetSystemMetrics(SM_CXVSCROLL) - 4;
  ListView_InsertColumn(lstCtgr, 0, &column);
  ++settingTicks_;
  for (int i = 0; i < kSectorCount; ++i) {
    std::wstring name = Wide(SectorNameUtf8(i));
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = i;
    item.pszText = name.data();
    ::SendMessageW(lstCtgr, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
  --settingTicks_;

  ::SendMessageW(prgBar, PBM_SETRANGE32, 0, 100);
  ::SendMessageW(txtSite, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(Wide(text::kSitePrompt).c_str()));
  SetEnabled(Ctl::txtCode, false);
  SetEnabled(Ctl::btnCancel, false);
  SetFieldLook(Ctl::txtCode, false);
  SetStatusText(L"\u3000\u3000");

  saveDlg.title = text::kSaveTitle;
  saveDlg.filter = text::kSaveFilter;
  saveDlg.options = ofHideReadOnly | ofOverwritePrompt | ofEnableSizing;
}

}  // namespace vantora
