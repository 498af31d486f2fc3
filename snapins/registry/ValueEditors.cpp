#include "snapins/registry/ValueEditors.h"

#include "framework/Handles.h"
#include "framework/ModalDialog.h"
#include "framework/Module.h"
#include "snapins/registry/RegistryIds.h"

#include <commctrl.h>

namespace vantrel::registry {
namespace {

constexpr uint32_t kRegDwordBigEndian = 5;

std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }
std::u16string Narrow(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }

// The frame every editor shares: the name read-only above the data, OK that
// keeps the dialog open while its text cannot be stored.
class CValueEditor : public CModalDialog {
public:
    CValueEditor(const EditedValue& value, int platform) : value_(value), platform_(platform) {}

    std::optional<Bytes> Edit(HWND owner) {
        if (CModalDialog::Run(TemplateId(), owner) != IDOK) return std::nullopt;
        return std::move(result_);
    }

    // Typing into a filtered box asks here first.
    virtual bool Accepts(int /*control*/, wchar_t /*character*/) const { return true; }

protected:
    ~CValueEditor() = default;

    virtual UINT TemplateId() const = 0;
    virtual DWORD HelpId() const = 0;
    virtual void ShowData() = 0;
    // The data to store; nothing keeps the dialog open.
    virtual std::optional<Bytes> TakeData() = 0;
    virtual void OnControl(WORD /*id*/, WORD /*code*/) {}

    void LimitText(int control, size_t length) const {
        ::SendMessageW(Item(control), EM_LIMITTEXT, static_cast<WPARAM>(length), 0);
    }
    // Typing into the box goes through Accepts.
    void FilterTyping(int control) { SetWindowSubclass(Item(control), &FilterProc, 0, reinterpret_cast<DWORD_PTR>(this)); }

    const EditedValue& value_;
    const int platform_;

private:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM) override {
        switch (message) {
        case WM_INITDIALOG:
            SetWindowContextHelpId(Window(), HelpId());
            SetItemText(IDC_REG_VALUE_NAME, value_.name.empty() ? LoadStringW(IDS_REG_DEFAULT_VALUE) : Wide(value_.name));
            ShowData();
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                result_ = TakeData();
                if (result_) EndDialog(Window(), IDOK);
            } else if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(Window(), IDCANCEL);
            } else {
                OnControl(LOWORD(wParam), HIWORD(wParam));
            }
            return TRUE;
        case WM_HELP:
            return TRUE;  // the help ids are set; no help file of this tool to open
        default:
            return FALSE;
        }
    }

    static LRESULT CALLBACK FilterProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data) {
        if (message == WM_NCDESTROY) RemoveWindowSubclass(edit, &FilterProc, id);
        if (message == WM_CHAR && !reinterpret_cast<const CValueEditor*>(data)->Accepts(GetDlgCtrlID(edit),
                                                                                        static_cast<wchar_t>(wParam))) {
            MessageBeep(MB_OK);
            return 0;
        }
        return DefSubclassProc(edit, message, wParam, lParam);
    }

    std::optional<Bytes> result_;
};

class CStringEditor final : public CValueEditor {
public:
    using CValueEditor::CValueEditor;

private:
    UINT TemplateId() const override { return IDD_REG_EDIT_STRING; }
    DWORD HelpId() const override { return IDH_REG_EDIT_STRING; }
    void ShowData() override {
        const std::u16string text = StringOfData(value_.data);
        LimitText(IDC_REG_VALUE_DATA, EditorTextLimit(platform_, text.size()));
        SetItemText(IDC_REG_VALUE_DATA, Wide(text));
    }
    std::optional<Bytes> TakeData() override { return DataOfString(Narrow(ItemText(IDC_REG_VALUE_DATA))); }
};

class CMultiStringEditor final : public CValueEditor {
public:
    using CValueEditor::CValueEditor;

private:
    UINT TemplateId() const override { return IDD_REG_EDIT_MULTI_STRING; }
    DWORD HelpId() const override { return IDH_REG_EDIT_MULTI_STRING; }
    void ShowData() override {
        const std::u16string text = MultiStringText(StringsOfMultiData(value_.data));
        LimitText(IDC_REG_VALUE_DATA, EditorTextLimit(platform_, text.size()));
        SetItemText(IDC_REG_VALUE_DATA, Wide(text));
    }
    std::optional<Bytes> TakeData() override {
        const MultiStringLines lines = SplitMultiStringText(Narrow(ItemText(IDC_REG_VALUE_DATA)));
        // An empty string would end the value on the machine and lose the rest.
        if (lines.emptyLinesRemoved)
            MessageBoxW(Window(), LoadStringW(IDS_REG_EMPTY_LINES_REMOVED).c_str(),
                        LoadStringW(IDS_REG_EDITOR_CAPTION).c_str(), MB_OK | MB_ICONWARNING);
        return DataOfStrings(lines.strings);
    }
};

class CDwordEditor final : public CValueEditor {
public:
    using CValueEditor::CValueEditor;

    bool Accepts(int, wchar_t character) const override {
        if (character < L' ') return true;  // Backspace, and the clipboard's keys
        return ParseDword(std::u16string(1, static_cast<char16_t>(character)), base_).has_value();
    }

private:
    UINT TemplateId() const override { return IDD_REG_EDIT_DWORD; }
    DWORD HelpId() const override { return IDH_REG_EDIT_DWORD; }
    bool BigEndian() const { return value_.type == kRegDwordBigEndian; }
    static size_t Digits(NumberBase base) { return base == NumberBase::Hexadecimal ? 8 : 10; }

    void ShowData() override {
        CheckRadioButton(Window(), IDC_REG_BASE_HEX, IDC_REG_BASE_DECIMAL, IDC_REG_BASE_HEX);
        LimitText(IDC_REG_VALUE_DATA, Digits(base_));
        SetItemText(IDC_REG_VALUE_DATA, Wide(DwordText(DwordOfData(value_.data, BigEndian()), base_)));
        FilterTyping(IDC_REG_VALUE_DATA);
    }

    void OnControl(WORD id, WORD code) override {
        if (code != BN_CLICKED || (id != IDC_REG_BASE_HEX && id != IDC_REG_BASE_DECIMAL)) return;
        const NumberBase base = id == IDC_REG_BASE_HEX ? NumberBase::Hexadecimal : NumberBase::Decimal;
        if (base == base_) return;
        const std::u16string shown = ConvertDwordText(Narrow(ItemText(IDC_REG_VALUE_DATA)), base_, base);
        base_ = base;
        LimitText(IDC_REG_VALUE_DATA, Digits(base_));
        SetItemText(IDC_REG_VALUE_DATA, Wide(shown));
    }

    std::optional<Bytes> TakeData() override {
        const std::optional<uint32_t> number = ParseDword(Narrow(ItemText(IDC_REG_VALUE_DATA)), base_);
        if (!number) {
            // Beyond 32 bits: the user corrects it.
            MessageBeep(MB_ICONWARNING);
            SetFocus(Item(IDC_REG_VALUE_DATA));
            ::SendMessageW(Item(IDC_REG_VALUE_DATA), EM_SETSEL, 0, -1);
            return std::nullopt;
        }
        return DataOfDword(*number, BigEndian());
    }

    NumberBase base_ = NumberBase::Hexadecimal;
};

class CBinaryEditor final : public CValueEditor {
public:
    using CValueEditor::CValueEditor;

    bool Accepts(int, wchar_t character) const override {
        // Backspace, hexadecimal digits, and copying out (Ctrl+C) which changes nothing.
        return character == L'\x03' || IsBinaryEditorKey(static_cast<char16_t>(character));
    }

private:
    static constexpr int kColumns[] = {IDC_REG_BINARY_OFFSETS, IDC_REG_BINARY_BYTES, IDC_REG_BINARY_CHARACTERS};

    UINT TemplateId() const override { return IDD_REG_EDIT_BINARY; }
    DWORD HelpId() const override { return IDH_REG_EDIT_BINARY; }

    void ShowData() override {
        WindowDC screen(nullptr);
        courier_.reset(CreateFontW(-MulDiv(10, GetDeviceCaps(screen.get(), LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, FALSE,
                                   FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                   DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"Courier"));
        for (int column : kColumns) ::SendMessageW(Item(column), WM_SETFONT, reinterpret_cast<WPARAM>(courier_.get()), FALSE);
        SetItemText(IDC_REG_BINARY_BYTES, Wide(BinaryBytesText(value_.data)));
        ShowDerivedColumns();
        FilterTyping(IDC_REG_BINARY_BYTES);
    }

    // Offsets and characters follow the bytes as typed; the bytes keep their
    // text so that the caret stays where the user types.
    void ShowDerivedColumns() {
        const Bytes bytes = ParseBinaryBytesText(Narrow(ItemText(IDC_REG_BINARY_BYTES)));
        SetItemText(IDC_REG_BINARY_OFFSETS, Wide(BinaryOffsetsText(bytes.size())));
        SetItemText(IDC_REG_BINARY_CHARACTERS, Wide(BinaryCharactersText(bytes)));
        AlignScrolling();
    }

    void AlignScrolling() const {
        const LRESULT first = ::SendMessageW(Item(IDC_REG_BINARY_BYTES), EM_GETFIRSTVISIBLELINE, 0, 0);
        for (int column : {IDC_REG_BINARY_OFFSETS, IDC_REG_BINARY_CHARACTERS}) {
            HWND edit = Item(column);
            const LRESULT shown = ::SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0);
            ::SendMessageW(edit, EM_LINESCROLL, 0, first - shown);
        }
    }

    void OnControl(WORD id, WORD code) override {
        if (id != IDC_REG_BINARY_BYTES) return;
        if (code == EN_CHANGE) ShowDerivedColumns();
        if (code == EN_VSCROLL) AlignScrolling();
    }

    std::optional<Bytes> TakeData() override { return ParseBinaryBytesText(Narrow(ItemText(IDC_REG_BINARY_BYTES))); }

    UniqueFont courier_;
};

}  // namespace

std::optional<Bytes> EditValueData(HWND owner, const EditedValue& value, int platform) {
    switch (EditorFor(value.type)) {
    case Editor::String:
        return CStringEditor(value, platform).Edit(owner);
    case Editor::MultiString:
        return CMultiStringEditor(value, platform).Edit(owner);
    case Editor::Dword:
        return CDwordEditor(value, platform).Edit(owner);
    case Editor::Binary:
        return CBinaryEditor(value, platform).Edit(owner);
    }
    return std::nullopt;
}

}  // namespace vantrel::registry
