// Identifiers shared by the resource script and the code. Plain #defines: the resource compiler
// reads this file too.
#pragma once

#define IDI_QUILLPOST 101

// Child-window identifiers of FrmMain: kFirstControlId + the control's index in the layout table.
#define QUILL_FIRST_CONTROL_ID 1000
// Menu commands: kFirstMenuId + the item's index in the menu table.
#define QUILL_FIRST_MENU_ID 2000
