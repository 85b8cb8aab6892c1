#pragma once

// What the main window's menu opens: each centres its window and shows it modally.
void openSettingsDialog();
void showFileInfoWindow();
void showVersionWindow();
