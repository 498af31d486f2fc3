#include "snapins/drives/DrivePropertiesDialog.h"

#include "framework/Module.h"
#include "framework/Text.h"
#include "snapins/drives/DrivesIds.h"

#include <iterator>

namespace vantrel {
namespace {

struct FlagBox {
    uint32_t flag;
    int control;
};

constexpr FlagBox kFlagBoxes[] = {
    {0x40000, IDC_DDS_FLAG_STREAMS},    {0x10000, IDC_DDS_FLAG_OBJECT_IDS}, {0x80, IDC_DDS_FLAG_REPARSE},
    {0x40, IDC_DDS_FLAG_SPARSE},        {0x20, IDC_DDS_FLAG_QUOTAS},        {0x1, IDC_DDS_FLAG_CASE},
    {0x10, IDC_DDS_FLAG_COMPRESSION},   {0x20000, IDC_DDS_FLAG_ENCRYPTION}, {0x4, IDC_DDS_FLAG_UNICODE},
    {0x8000, IDC_DDS_FLAG_COMPRESSED},  {0x2, IDC_DDS_FLAG_PRESERVES},      {0x8, IDC_DDS_FLAG_ACLS}};

std::wstring TitleOf(const drives::DriveRecord& drive) {
    if (drive.volumeName.empty()) return LoadStringW(IDS_DDS_PROPERTIES);
    return ReplaceFirst(LoadStringW(IDS_DDS_PROPERTIES_OF), L"%s", ToWide(drive.volumeName));
}

void Fill(HWND dialog, const drives::DriveRecord& drive) {
    SetWindowTextW(dialog, TitleOf(drive).c_str());
    SetDlgItemTextW(dialog, IDC_DDS_DRIVE_LETTER, ToWide(drive.driveName).c_str());
    SetDlgItemTextW(dialog, IDC_DDS_VOLUME_NAME, ToWide(drive.volumeName).c_str());
    SetDlgItemTextW(dialog, IDC_DDS_FILE_SYSTEM, ToWide(drive.fileSystem).c_str());
    SetDlgItemTextW(dialog, IDC_DDS_SERIAL, ToWide(drives::SerialNumberText(drive.serialNumber)).c_str());
    SetDlgItemTextW(dialog, IDC_DDS_SIZE_BYTES, ToWide(drives::DecimalText(drive.sizeBytes)).c_str());
    SetDlgItemTextW(dialog, IDC_DDS_FREE_BYTES, ToWide(drives::DecimalText(drive.freeBytes)).c_str());
    SetDlgItemTextW(dialog, IDC_DDS_TOTAL_CLUSTERS, ToWide(drive.totalClusters).c_str());
    SetDlgItemTextW(dialog, IDC_DDS_FREE_CLUSTERS, ToWide(drive.freeClusters).c_str());
    SetDlgItemTextW(dialog, IDC_DDS_SECTORS, ToWide(drive.sectorsPerCluster).c_str());
    SetDlgItemTextW(dialog, IDC_DDS_BYTES_SECTOR, ToWide(drive.bytesPerSector).c_str());
    for (const FlagBox& box : kFlagBoxes)
        CheckDlgButton(dialog, box.control, (drive.fileSystemFlags & box.flag) ? BST_CHECKED : BST_UNCHECKED);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        try {
            Fill(dialog, *reinterpret_cast<const drives::DriveRecord*>(lParam));
        } catch (...) {
            // A field left empty is better than an exception through the dialog manager.
        }
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

void ShowDrivePropertiesDialog(HWND owner, const drives::DriveRecord& drive) {
    ActivationScope scope;
    DialogBoxParamW(ResourceInstance(), MAKEINTRESOURCEW(IDD_DDS_PROPERTIES), owner, DialogProc,
                    reinterpret_cast<LPARAM>(&drive));
}

}  // namespace vantrel
