/* Resource ids shared by the resource script and the code. Plain defines,
   because windres reads this file through the C preprocessor. */
#ifndef TF_RESOURCE_IDS_H
#define TF_RESOURCE_IDS_H

/* The corner logo, smallest first (for windows under 800, 1024, 1280 and
   wider pixels). */
#define TF_BITMAP_LOGO_SMALL 109
#define TF_BITMAP_LOGO_MEDIUM 110
#define TF_BITMAP_LOGO_LARGE 111
#define TF_BITMAP_LOGO_HUGE 112

/* The saver's icon and the name Windows lists it under. */
#define TF_ICON_SAVER 100
#define TF_STRING_SAVER_NAME 1

#endif
