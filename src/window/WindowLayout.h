#pragma once
// The main window's controls: one typed member per control, named as the window names them, so
// that a misspelt control fails to compile. The layout table in WindowLayout.cpp declares every
// control once as data (its member, parent, caption, place, designed state, tool tip and help
// context number); BuildControls makes the widgets from it and fills the struct.

#include <array>
#include <cstddef>
#include <vector>

#include "settings/SettingsFields.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSlider;
class QTabWidget;
class QWidget;

namespace vexaro {

class StatusLamp;
class WrapButton;

struct WindowControls {
  // The tab strip with its pages, the Transfer frame, Help, Exit and the status line.
  QTabWidget* TabStrip1;
  QGroupBox *fraSettings, *fraMelody, *fraAdvanced, *fraTransfer;
  QLabel *Label7, *Label9, *lblConStatus, *lblVersion;
  QPushButton *cmdSend, *cmdHelp, *cmdExit;
  StatusLamp* shpStatus;

  // Basic Settings.
  QLabel *Label1, *Label2, *Label5, *labGTLT, *Label44, *Label3, *Label13, *Label4, *Label14,
      *Label6, *Label15, *Label12;
  QLineEdit* txtThres;
  QSlider* sliderThres;
  QCheckBox* chkRev;
  QComboBox *cboLowV, *cboFreq, *cboDur;
  WrapButton* cmdBeep;
  QPushButton* cmdDefSet;
  // The whole device in one file, and a restore's progress over the caption while it stores.
  QLabel* Label48;
  QPushButton *cmdBackup, *cmdRestore;
  QProgressBar* prgRestore;

  // Tune Control.
  QLabel *Label8, *Label10, *Label16, *Label11;
  QLineEdit* txtTuneFile;
  QCheckBox* chkOctave;
  QPushButton *cmdBrowse, *cmdLoad, *cmdPlay, *cmdDefTune;
  // Below the designed rows: the melody on the computer's own speakers, and what it plays.
  QLabel *Label49, *lblListen;
  QPushButton* cmdListen;

  // Advanced Parameters.
  QLabel *Label17, *Label21, *Label22, *Label35, *Label20, *Label36, *Label23, *Label45, *Label18,
      *Label19, *Label34, *Label24, *Label33, *Label43, *Label25, *Label26, *Label37, *Label27,
      *Label40, *Label28, *Label38, *Label29, *Label41, *Label30, *Label39, *Label31, *Label42,
      *Label32;
  QGroupBox *Frame1, *Frame2;
  QComboBox *cboStartBeeps, *cboCmdTime, *cboGtime, *cboVminDly, *cboVlowBeeps, *cboVlowDly,
      *cboVcycles, *cboGcycles, *cboMcycles, *cboZeFreq, *cboZeDur, *cboRoFreq, *cboRoDur,
      *cboIBpause, *cboIDpause;
  QCheckBox *chkGreset, *chkMreset;
  std::array<QRadioButton*, 2> optZ10;  // Two-Tone, 10-Beeps
  QPushButton *cmdVtrim, *cmdDefAdv;

  // A/D Voltage Trim, over the other pages when shown.
  QGroupBox *fraVtrim, *Frame3;
  QLabel *lblADvalue, *Label46, *Label47;
  QPushButton* cmdReadAD;
  QComboBox* cboVtrim;
  std::array<QLabel*, 7> lblP1, lblM1;  // the estimates at trims +1 to +7 and -1 to -7

  // The page of each tab, in tab order.
  std::array<QGroupBox*, 3> tabPages;
  // Every control whose handler talks to the device, in table order: off while another transfer
  // runs, and while there is no device.
  std::vector<QWidget*> transfer;
};

// Makes every control of `window` as designed, sizes the window, and returns them.
WindowControls BuildControls(QWidget& window);

// The control that shows a settings field: the line edit, list or check box, or for the
// zero-output group its first option.
QWidget* FieldControl(const WindowControls& controls, Field field);

// Brings the page that holds `control` to the front, as choosing its tab does.
void BringPageToFront(const WindowControls& controls, QWidget* control);

// The dynamic property of a control that holds its help context number (none: the overview).
inline constexpr const char* kHelpContextProperty = "helpContext";

// The window's client size in twips.
inline constexpr int kClientWidthTwips = 5655;
inline constexpr int kClientHeightTwips = 6375;
inline constexpr int kTwipsPerInch = 1440;

}  // namespace vexaro
