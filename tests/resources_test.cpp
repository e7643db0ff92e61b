// The resources every Quillmere executable carries: the manifest (UTF-8 code
// page, common controls 6), the version resource, the icon and the pictures.
// This test program links the same resource script as Quillmere.exe.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <uxtheme.h>

#include <string>
#include <vector>

#include "base/Handles.h"
#include "res/resource.h"
#include "res/version.h"

namespace {

std::string versionString(const std::vector<char>& block, const char* name) {
    char* value = nullptr;
    UINT length = 0;
    std::string path = std::string("\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length))
        return "(missing)";
    return std::string(value, length ? length - 1 : 0);
}

} // namespace

TEST(Manifest, MakesTheAnsiCodePageUtf8) {
    EXPECT_EQ(65001u, GetACP());
}

TEST(Manifest, SelectsCommonControlsVersion6) {
    InitCommonControls();
    HWND button =
        CreateWindowA("Button", "OK", WS_POPUP, 0, 0, 80, 24, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, button);
    // BCM_GETIDEALSIZE exists from version 6 on; older buttons answer 0. (Wine's
    // version 6 still reports 5 from DllGetVersion, so that cannot tell.)
    SIZE ideal{};
    EXPECT_TRUE(SendMessageA(button, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)));
    EXPECT_NE(nullptr, GetWindowTheme(button)) << "visual styles are not active";
    DestroyWindow(button);
}

TEST(VersionResource, NamesTheProductAndItsVersion) {
    char path[MAX_PATH];
    ASSERT_NE(0u, GetModuleFileNameA(nullptr, path, MAX_PATH));
    DWORD size = GetFileVersionInfoSizeA(path, nullptr);
    ASSERT_NE(0u, size);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, block.data()));

    EXPECT_EQ("Quillmere", versionString(block, "ProductName"));
    EXPECT_EQ(QUILLMERE_VERSION_TEXT, versionString(block, "ProductVersion"));
    EXPECT_EQ("Copyright (C) 2026 The Quillmere developers",
              versionString(block, "LegalCopyright"));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(DWORD(MAKELONG(QUILLMERE_VERSION_MINOR, QUILLMERE_VERSION_MAJOR)),
              fixed->dwFileVersionMS);
}

TEST(Pictures, AreCompressedBitmapsOfTheirLayoutSizes) {
    struct Expected {
        int id, width, height;
    };
    for (Expected picture : {Expected{IDB_TITLE, 62, 62}, Expected{IDB_BACKUP, 64, 65},
                             Expected{IDB_CLEANUP, 72, 71}, Expected{IDB_DEFRAG, 65, 66}}) {
        HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(picture.id), RT_BITMAP);
        ASSERT_NE(nullptr, found) << picture.id;
        ASSERT_GE(SizeofResource(nullptr, found), sizeof(BITMAPINFOHEADER));
        const auto* header =
            static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(nullptr, found)));
        EXPECT_EQ(picture.width, header->biWidth) << picture.id;
        EXPECT_EQ(picture.height, header->biHeight) << picture.id;
        // 8 bits a pixel, run-length compressed, with only the colours used.
        EXPECT_EQ(8, header->biBitCount) << picture.id;
        EXPECT_EQ(DWORD{BI_RLE8}, header->biCompression) << picture.id;
        EXPECT_GT(256u, header->biClrUsed) << picture.id;
        EXPECT_EQ(sizeof *header + 4 * header->biClrUsed + header->biSizeImage,
                  SizeofResource(nullptr, found))
            << picture.id;
    }
}

TEST(Icon, HoldsTheSevenImages) {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(IDI_QUILLMERE), MAKEINTRESOURCEA(14));
    ASSERT_NE(nullptr, found);
    // The group-icon directory: reserved, type, count, then 14-byte entries
    // of width, height, colour count, reserved, planes, bit count, ...
    auto* group = static_cast<const unsigned char*>(LockResource(LoadResource(nullptr, found)));
    ASSERT_EQ(7, group[4] | group[5] << 8);
    std::vector<std::string> images;
    for (int i = 0; i < 7; ++i) {
        const unsigned char* entry = group + 6 + 14 * i;
        images.push_back(std::to_string(entry[0]) + "x" + std::to_string(entry[1]) + "@" +
                         std::to_string(entry[6] | entry[7] << 8));
        // Each image decodes at its size, whichever way it is stored (the
        // large one is PNG-compressed, the 256-colour ones keep only the
        // colours they use).
        const int id = entry[12] | entry[13] << 8;
        HRSRC image = FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(3));
        ASSERT_NE(nullptr, image) << images.back();
        base::unique_hicon icon(CreateIconFromResourceEx(
            static_cast<BYTE*>(LockResource(LoadResource(nullptr, image))),
            SizeofResource(nullptr, image), TRUE, 0x00030000, entry[0], entry[1], 0));
        ASSERT_TRUE(icon) << images.back();
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon.get(), &info)) << images.back();
        base::unique_hbitmap colours(info.hbmColor), mask(info.hbmMask);
        BITMAP bitmap{};
        GetObjectA(colours ? colours.get() : mask.get(), sizeof bitmap, &bitmap);
        EXPECT_EQ(entry[0], bitmap.bmWidth) << images.back();
    }
    std::vector<std::string> expected{"32x32@4",  "16x16@4",  "32x32@8", "16x16@8",
                                      "48x48@32", "32x32@32", "16x16@32"};
    EXPECT_EQ(expected, images);
}
