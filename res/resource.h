// Resource identifiers shared by the resource script and the code that loads
// the resources. The pictures are bitmaps (scripts/make-pictures draws them).
#pragma once

#define IDI_QUILLMERE 1 // the icon of all four windows

#define IDB_TITLE 101   // Image3 and the About picture, 62x62
#define IDB_BACKUP 102  // Image4, 64x65
#define IDB_CLEANUP 103 // Image1, 72x71
#define IDB_DEFRAG 104  // Image2, 65x66

// What screen readers call the browse buttons UCmd(0) to UCmd(2).
#define IDS_BROWSE_BACKUP 201
#define IDS_BROWSE_CLEANUP 202
#define IDS_BROWSE_DEFRAG 203
