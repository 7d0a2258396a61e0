// The configuration dialog and the About box, from the library's resources.
#include "plugin/dialogs.h"

#include <windows.h>
#include <commctrl.h>

#include "machine/settings.h"
#include "platform/library_file.h"
#include "plugin/win32/resource_ids.h"
#include "plugin/config_actions.h"
#include "plugin/plugin_instance.h"

namespace varno {

namespace {

// The host's own dialogs may not have registered the track bar class.
void registerCommonControls() {
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
}

HINSTANCE resourceModule(PluginInstance* instance) {
    if (instance && instance->instance) return static_cast<HINSTANCE>(instance->instance);
    return static_cast<HINSTANCE>(libraryHandle());
}

PluginInstance* dialogInstance(HWND dialog) {
    return reinterpret_cast<PluginInstance*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

int separationPosition(HWND dialog) {
    return int(SendDlgItemMessageA(dialog, VARNO_IDC_SEPARATION, TBM_GETPOS, 0, 0));
}

int interpolationIndex(HWND dialog) {
    return int(SendDlgItemMessageA(dialog, VARNO_IDC_INTERPOLATION, CB_GETCURSEL, 0, 0));
}

void showSeparation(HWND dialog) {
    const int position = separationPosition(dialog);
    SetDlgItemTextA(dialog, VARNO_IDC_SEPARATION_TEXT, separationLabel(position).c_str());
    applySeparation(dialogInstance(dialog), position);
}

void initConfigDialog(HWND dialog, PluginInstance* instance) {
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(instance));
    SendDlgItemMessageA(dialog, VARNO_IDC_SEPARATION, TBM_SETRANGE, TRUE, MAKELPARAM(0, 100));
    SendDlgItemMessageA(dialog, VARNO_IDC_SEPARATION, TBM_SETPOS, TRUE, pluginSettings.stereo_separation);
    SendDlgItemMessageA(dialog, VARNO_IDC_INTERPOLATION, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("None"));
    SendDlgItemMessageA(dialog, VARNO_IDC_INTERPOLATION, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Sinc"));
    SendDlgItemMessageA(dialog, VARNO_IDC_INTERPOLATION, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Amiga 500"));
    SendDlgItemMessageA(dialog, VARNO_IDC_INTERPOLATION, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Amiga 1200"));
    SendDlgItemMessageA(dialog, VARNO_IDC_INTERPOLATION, CB_SETCURSEL, pluginSettings.interpolation, 0);
    SetDlgItemInt(dialog, VARNO_IDC_PLAYTIME, UINT(pluginSettings.default_playtime), FALSE);
    CheckDlgButton(dialog, VARNO_IDC_SURROUND, pluginSettings.surround ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, VARNO_IDC_USE_SONGEND, pluginSettings.use_songend ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, VARNO_IDC_SCAN_LENGTHS, pluginSettings.scan_lengths ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, VARNO_IDC_SEEKING, pluginSettings.seeking ? BST_CHECKED : BST_UNCHECKED);
    showSeparation(dialog);
}

void closeConfigDialog(HWND dialog) {
    ConfigDialogValues values;
    values.playtime = GetDlgItemInt(dialog, VARNO_IDC_PLAYTIME, nullptr, FALSE);
    values.useSongend = IsDlgButtonChecked(dialog, VARNO_IDC_USE_SONGEND) == BST_CHECKED;
    values.surround = IsDlgButtonChecked(dialog, VARNO_IDC_SURROUND) == BST_CHECKED;
    values.separation = separationPosition(dialog);
    values.interpolation = interpolationIndex(dialog);
    values.scanLengths = IsDlgButtonChecked(dialog, VARNO_IDC_SCAN_LENGTHS) == BST_CHECKED;
    values.seeking = IsDlgButtonChecked(dialog, VARNO_IDC_SEEKING) == BST_CHECKED;
    confirmConfig(values);
    EndDialog(dialog, 0);
}

INT_PTR CALLBACK configProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        initConfigDialog(dialog, reinterpret_cast<PluginInstance*>(lParam));
        return 0;
    case WM_HSCROLL:
        if (GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == VARNO_IDC_SEPARATION) showSeparation(dialog);
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case VARNO_IDC_SURROUND:
            applySurround(dialogInstance(dialog), IsDlgButtonChecked(dialog, VARNO_IDC_SURROUND) == BST_CHECKED);
            return 1;
        case VARNO_IDC_INTERPOLATION:
            if (HIWORD(wParam) == CBN_SELCHANGE) applyInterpolation(interpolationIndex(dialog));
            return 1;
        case IDCANCEL:
            closeConfigDialog(dialog);
            return 1;
        default:
            return 1;
        }
    default:
        return 0;
    }
}

INT_PTR CALLBACK aboutProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(dialog, VARNO_IDC_ABOUT_TEXT, aboutLine(__DATE__).c_str());
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 0);
        return 1;
    default:
        return 0;
    }
}

} // namespace

int showConfigDialog(void* parentWindow, PluginInstance* instance) {
    registerCommonControls();
    return int(DialogBoxParamA(resourceModule(instance), MAKEINTRESOURCEA(VARNO_IDD_CONFIG),
                               static_cast<HWND>(parentWindow), configProcedure,
                               reinterpret_cast<LPARAM>(instance)));
}

int showAboutDialog(void* parentWindow) {
    return int(DialogBoxParamA(static_cast<HINSTANCE>(libraryHandle()), MAKEINTRESOURCEA(VARNO_IDD_ABOUT),
                               static_cast<HWND>(parentWindow), aboutProcedure, 0));
}

} // namespace varno
