#!/usr/bin/env bash
# The layer check (scripts/check-layers) on a small tree of its own with
# stand-in Qt include folders: the tree as it is passes; each case copies it,
# plants one include against the layers and expects the check to fail,
# naming that file and line. A wrong source folder is refused rather than
# passed.
#
#   bash check-layers-test.sh <path of check-layers>
set -uo pipefail

[[ -f "${1:-}" ]] || { echo "usage: $0 <path of check-layers>" >&2; exit 2; }
check=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

put() { # put FILE LINE... : writes the lines into the clean tree
  local file="$work/clean/$1"
  shift
  mkdir -p "$(dirname "$file")"
  printf '%s\n' "$@" >"$file"
}

mkdir -p "$work/qt/QtWidgets" "$work/qt/QtGui" "$work/qt/QtCore"
(cd "$work/qt/QtWidgets" && touch QWidget qwidget.h QLabel QtWidgets qaction.h)
(cd "$work/qt/QtGui" && touch QAction qaction.h QImage)
(cd "$work/qt/QtCore" && touch QString QObject)

# Allowed: Gui and Core headers in the core (also qaction.h, which both the
# Widgets and the Gui folder hold), Widgets includes inside comments, a "/*"
# inside a string; Widgets in the interface; headers of the interface
# (IDialogHost, the window view) in panels and dialogs; the controller in
# the root files of the interface.
put src/AppEnums.h '#pragma once'
put src/AppParam.h '#include "AppEnums.h"' '#include <QString>'
put src/IMainController.h '#include <QObject>'
# The last lines of Device.h would hide an include planted after them if a
# quote in a character literal, a "/*" in a line comment or one in a string
# were taken for the start of a comment.
put src/Device/Device.h '#include "AppParam.h"' '#include <QtGui/qaction.h>' '#include <qaction.h>' \
  '#include <QAction>' '// #include <QWidget>' '/* #include <QLabel>' '   #include <QLabel> */' \
  "const char quote = '\"'; /*" '#include <QWidget>' '*/' 'int x = 1; // a /* in a line comment' \
  'const char* pattern = "Profile/*.key";'
put src/Platform/Hid/Linux/Backend.cpp '#include "../../../Device/Device.h"' '#include <QImage>'
put src/CustomControl/View.h '#include <QWidget>'
put src/MainView.h '#include "CustomControl/View.h"'
put src/MainViewController.h '#include "MainView.h"' '#include "FunctionTabs.h"'
put src/MainViewController.cpp '#include "MainViewController.h"' '#include "DeviceListController.h"'
put src/DeviceListHost.h '#pragma once'
put src/DeviceListController.h '#include "DeviceListHost.h"'
put src/DeviceListController.cpp '#include "DeviceListController.h"' '#include "MainView.h"'
put src/FunctionTabs.h '#pragma once'
put src/MainWindowWidgets.h '#pragma once'
put src/AppDelegate.h '#include "MainViewController.h"'
put src/Startup.h '#include "AppDelegate.h"'
put src/AppDelegate.cpp '#include "AppDelegate.h"' '#include "MainViewController.h"'
put src/Dialog/Host.h '#include "AppEnums.h"'
put src/Dialog/Dialog.h '#include "Dialog/Host.h"' '#include "MainView.h"' '#include <QWidget>'
put src/FunctionPanel/Panel.h '#include "Dialog/Host.h"'
put src/FunctionPanel/Panel.cpp '#include "FunctionPanel/Panel.h"' '#include "../Dialog/Dialog.h"'

run_check() { # run_check TREE: the check's status; its output in $work/out
  (cd "$1" && bash "$check" --widgets "$work/qt/QtWidgets" --not-widgets "$work/qt/QtGui" \
    --not-widgets "$work/qt/QtCore" src) >"$work/out" 2>&1
}

failures=0
fail() {
  echo "FAIL: $1"
  sed 's/^/    /' "$work/out"
  failures=$((failures + 1))
}

run_check "$work/clean"
status=$?
[[ $status -eq 0 ]] || fail "the clean tree fails (status $status)"

# case name | file | planted line
while IFS='|' read -r name file planted; do
  rm -rf "$work/case"
  cp -r "$work/clean" "$work/case"
  printf '%s\n' "$planted" >>"$work/case/src/$file"
  line=$(wc -l <"$work/case/src/$file")
  run_check "$work/case"
  status=$?
  if [[ $status -ne 1 ]]; then
    fail "$name: status $status, not 1"
  elif ! grep -qF "src/$file:$line: includes" "$work/out"; then
    fail "$name: src/$file:$line is not named"
  elif [[ $(grep -c ': includes ' "$work/out") -ne 1 ]]; then
    fail "$name: more than the planted include is reported"
  else
    echo "ok: $name"
  fi
done <<'CASES'
core folder includes a Widgets header|Device/Device.h|#include <QWidget>
nested core folder includes one through QtWidgets/|Platform/Hid/Linux/Backend.cpp|  #  include <QtWidgets/QLabel>
application state includes a lower-case Widgets header|AppParam.h|#include <qwidget.h>
controller interface includes the Widgets module|IMainController.h|#include <QtWidgets>
core includes a header of the interface|Device/Device.h|#include "CustomControl/View.h"
core includes a root header of the interface|AppEnums.h|#include <MainView.h>
dialog includes the controller|Dialog/Dialog.h|#include "MainViewController.h"
panel includes the tab table by a relative path|FunctionPanel/Panel.cpp|#include "../FunctionTabs.h"
dialog includes the device list|Dialog/Host.h|#include <DeviceListController.h>
panel includes the window widgets|FunctionPanel/Panel.h|#include "MainWindowWidgets.h"
panel includes a header that brings the controller in|FunctionPanel/Panel.h|#include "Startup.h"
device list includes the controller|DeviceListController.h|#include "MainViewController.h"
device list includes a header that brings the controller in|DeviceListController.cpp|#include "AppDelegate.h"
device list's window interface includes the controller|DeviceListHost.h|#include "MainViewController.h"
CASES

# A folder without the core, panels and dialogs is refused, not passed.
mkdir -p "$work/elsewhere/src/CustomControl"
cp "$work/clean/src/CustomControl/View.h" "$work/elsewhere/src/CustomControl/"
run_check "$work/elsewhere"
status=$?
if [[ $status -eq 2 ]]; then echo "ok: a folder that is not the source tree is refused"; else
  fail "a folder that is not the source tree: status $status, not 2"; fi

[[ $failures -eq 0 ]] || { echo "$failures case(s) failed"; exit 1; }
echo "all cases passed"
