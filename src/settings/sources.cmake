list(APPEND QM_PURE_SOURCES settings/appsettings.cpp settings/hotkeys.cpp settings/settingsrules.cpp)
list(APPEND QM_GLUE_SOURCES
  settings/settingsfile.cpp settings/hotkeysys.cpp settings/hotkeydialog.cpp
  settings/settingsdialog.cpp)
