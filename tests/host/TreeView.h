// Tree views read back and driven through their messages, as a user would
// see and work them.
#pragma once

#include "host/SnapInHost.h"

#include <string>
#include <vector>

namespace vantrel::test {

std::wstring TreeItemText(HWND tree, HTREEITEM item);
std::vector<HTREEITEM> TreeChildren(HWND tree, HTREEITEM parent);
std::vector<std::wstring> TreeChildTexts(HWND tree, HTREEITEM parent);
// The first child with this text, or null.
HTREEITEM TreeChild(HWND tree, HTREEITEM parent, const std::wstring& text);
HTREEITEM TreeRoot(HWND tree);
HTREEITEM TreeSelection(HWND tree);
// The item's (image, selected image).
std::pair<int, int> TreeImages(HWND tree, HTREEITEM item);
bool TreeExpanded(HWND tree, HTREEITEM item);
// Opens the label editor of an item, types the text and ends the edit.
void EditTreeLabel(HWND tree, HTREEITEM item, const std::wstring& text);

}  // namespace vantrel::test
