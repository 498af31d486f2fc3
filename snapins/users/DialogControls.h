// Small helpers for the controls of the snap-in's dialogs and pages: texts
// of at most 256 characters, the password check boxes, and the lists of
// account names (group members, memberships).
#pragma once

#include "framework/Handles.h"
#include "snapins/users/model/UsersModel.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace vantrel::dialogs {

// Account names and texts are at most 256 characters.
constexpr int kMaxText = 256;
constexpr size_t kTextBuffer = kMaxText + 1;

// Images of the account lists (the strip of the snap-in's rows).
constexpr int kUserImage = 0;
constexpr int kGroupImage = 2;

// The object a dialog procedure belongs to: stored at WM_INITDIALOG (from
// lParam, or from a property page's lParam), read back afterwards.
template <typename T>
T* Attach(HWND dialog, UINT message, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    return reinterpret_cast<T*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

void LimitTexts(HWND dialog, std::initializer_list<int> ids);
std::u16string Text(HWND dialog, int id);
void SetText(HWND dialog, int id, const std::u16string& text);
// Enables or disables every control but one.
void EnableAllBut(HWND dialog, int keep, bool enable);
// WM_HELP: the help file at the context id of the control, else of the dialog.
void ShowHelp(HWND dialog, LPARAM helpInfo);

// The three password boxes (11524-11526) and their rule.
users::PasswordChoices PasswordChoicesOf(HWND dialog);
void UpdatePasswordBoxes(HWND dialog);

// A list of names with one column and the account images; the caller keeps
// the image list for as long as the list lives.
UniqueImageList PrepareNameList(HWND list);
// Adds a name not yet listed (without regard to case); false when it was there.
bool AddName(HWND list, const std::u16string& name, int image);
void RemoveSelectedName(HWND list);
int SelectedItem(HWND list);
std::vector<std::u16string> Names(HWND list);

}  // namespace vantrel::dialogs
