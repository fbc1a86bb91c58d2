// A main dialog made from the real template, with its registry keys moved to a
// scratch key so that tests start fresh and never see the machine's own ports.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <string>

#include "app/chosen_port.h"
#include "app/main_dialog.h"
#include "app/settings_store.h"
#include "app/tests/win_test_support.h"
#include "res/resource.h"

namespace tq350::test {

class MainDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_settings_ = g_settings_location;
        saved_ports_ = g_serial_port_location;
        settings_path_ = scratch_.path() + "\\Settings";
        ports_path_ = scratch_.path() + "\\SERIALCOMM";
        g_settings_location = {HKEY_CURRENT_USER, settings_path_.c_str()};
        g_serial_port_location = {HKEY_CURRENT_USER, ports_path_.c_str()};
        set_ports({"COM1", "COM3"});
        pump_messages();
    }

    void TearDown() override {
        if (dialog_)
            DestroyWindow(dialog_);
        pump_messages();
        gui_objects_.expect_none_left("after the test");
        g_settings_location = saved_settings_;
        g_serial_port_location = saved_ports_;
    }

    // Replaces the serial-port list the dialog will read.
    void set_ports(std::initializer_list<const char*> names) {
        RegDeleteTreeA(HKEY_CURRENT_USER, ports_path_.c_str());
        HKEY key = nullptr;
        RegCreateKeyA(HKEY_CURRENT_USER, ports_path_.c_str(), &key);
        int device = 0;
        for (const char* name : names)
            set_string_value(key, ("\\Device\\Serial" + std::to_string(device++)).c_str(),
                             std::string(name) + '\0');
        RegCloseKey(key);
    }

    HKEY settings_key() { // caller closes
        HKEY key = nullptr;
        RegCreateKeyA(HKEY_CURRENT_USER, settings_path_.c_str(), &key);
        return key;
    }

    void store_dword(const char* name, DWORD value) {
        RegSetKeyValueA(HKEY_CURRENT_USER, settings_path_.c_str(), name, REG_DWORD, &value,
                        sizeof value);
    }

    // A REG_DWORD of four bytes, the only form the program stores.
    std::optional<DWORD> stored_dword(const char* name) {
        DWORD value = 0, size = sizeof value;
        if (RegGetValueA(HKEY_CURRENT_USER, settings_path_.c_str(), name,
                         RRF_RT_REG_DWORD | RRF_NOEXPAND, nullptr, &value, &size) != ERROR_SUCCESS)
            return std::nullopt;
        return value;
    }

    HWND open_dialog() {
        dialog_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                     MainDialogProc, 0);
        EXPECT_NE(dialog_, nullptr) << "error " << GetLastError();
        pump_messages();
        return dialog_;
    }

    HWND item(int id) const { return GetDlgItem(dialog_, id); }

    std::string text(int id) const {
        char text[64] = {};
        GetDlgItemTextA(dialog_, id, text, sizeof text);
        return text;
    }

    bool checked(int id) const { return IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }

    // Sends a command the way the control itself would.
    void command(int id, int code = BN_CLICKED) {
        SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(item(id)));
    }

    // Made before anything of the test, which must leave nothing behind.
    GuiObjectWatch gui_objects_;
    ScratchKey scratch_{"main dialog"};
    BeepRecorder beeps_;
    HWND dialog_ = nullptr;
    // What the main dialog gives the dialogs it opens: the port and speed chosen in it.
    link::PrinterLineOpener chosen_port_ = [this] { return OpenChosenPort(dialog_); };

  private:
    RegistryLocation saved_settings_{};
    RegistryLocation saved_ports_{};
    std::string settings_path_;
    std::string ports_path_;
};

} // namespace tq350::test
