list(APPEND QM_PURE_SOURCES app/cmdline.cpp app/icontip.cpp app/popuppoint.cpp)
list(APPEND QM_GLUE_SOURCES
  app/commands.cpp app/dialogcommands.cpp app/mainwindow.cpp app/startup.cpp app/trayicon.cpp)
