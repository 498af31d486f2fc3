#include "tests/host/TreeView.h"

namespace vantrel::test {

std::wstring TreeItemText(HWND tree, HTREEITEM item) {
    wchar_t text[512] = {};
    TVITEMW query = {};
    query.mask = TVIF_TEXT | TVIF_HANDLE;
    query.hItem = item;
    query.pszText = text;
    query.cchTextMax = 512;
    if (!::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query))) return L"<no item>";
    return query.pszText ? query.pszText : L"";
}

std::vector<HTREEITEM> TreeChildren(HWND tree, HTREEITEM parent) {
    std::vector<HTREEITEM> items;
    auto item = reinterpret_cast<HTREEITEM>(
        ::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(parent)));
    while (item) {
        items.push_back(item);
        item = reinterpret_cast<HTREEITEM>(
            ::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
    }
    return items;
}

std::vector<std::wstring> TreeChildTexts(HWND tree, HTREEITEM parent) {
    std::vector<std::wstring> texts;
    for (HTREEITEM item : TreeChildren(tree, parent)) texts.push_back(TreeItemText(tree, item));
    return texts;
}

HTREEITEM TreeChild(HWND tree, HTREEITEM parent, const std::wstring& text) {
    for (HTREEITEM item : TreeChildren(tree, parent))
        if (TreeItemText(tree, item) == text) return item;
    return nullptr;
}

HTREEITEM TreeRoot(HWND tree) {
    return reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
}

HTREEITEM TreeSelection(HWND tree) {
    return reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

std::pair<int, int> TreeImages(HWND tree, HTREEITEM item) {
    TVITEMW query = {};
    query.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_HANDLE;
    query.hItem = item;
    ::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
    return {query.iImage, query.iSelectedImage};
}

bool TreeExpanded(HWND tree, HTREEITEM item) {
    return (::SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

void EditTreeLabel(HWND tree, HTREEITEM item, const std::wstring& text) {
    SetFocus(tree);
    auto edit = reinterpret_cast<HWND>(::SendMessageW(tree, TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(item)));
    if (!edit) return;
    SetWindowTextW(edit, text.c_str());
    ::SendMessageW(tree, TVM_ENDEDITLABELNOW, FALSE, 0);
}

}  // namespace vantrel::test
