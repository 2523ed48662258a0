list(APPEND QM_PURE_SOURCES menu/menulayout.cpp menu/tiptext.cpp menu/linetransform.cpp)
list(APPEND QM_GLUE_SOURCES menu/textmenu.cpp menu/menutips.cpp menu/transformmenu.cpp)
