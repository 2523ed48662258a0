list(APPEND QM_PURE_SOURCES menu/menulayout.cpp menu/tiptext.cpp menu/linetransform.cpp)
