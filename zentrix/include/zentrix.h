/*
 * zentrix.h - the Zentrix software graphics library.
 *
 * Pages (drawable surfaces) and sprites (pixel blocks used as blit sources
 * and textures), image loaders, fills, tints and blits, and the span,
 * triangle, quad and offset-warp rasterizers for 16-bit (5-6-5) and 32-bit
 * (0x00RRGGBB) pixels. Everything is plain memory: no device is touched.
 *
 * Use: declare a defZENTRIXPAGE, call CreateGFXPage, draw, DeleteGFXPage.
 * The caller owns the records; the library owns what they point to.
 * The library keeps a little global state (the line toggle of DblBlt32,
 * the rasterizers' working values) and is driven from one thread at a time.
 *
 * Records first, then the exports by family.
 */
#ifndef ZENTRIX_H
#define ZENTRIX_H

#include <stdint.h>

#if defined(_WIN32)
#  if defined(ZENTRIX_BUILD)
#    define ZENTRIX_API __declspec(dllexport)
#  else
#    define ZENTRIX_API __declspec(dllimport)
#  endif
#else
#  define ZENTRIX_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ------------------------------------------------------------------ */
/* Records                                                              */
/* ------------------------------------------------------------------ */

/* Signed 16.16 fixed point: the rasterizers' coordinates and values. */
typedef int32_t fixed16_t;

/* The 52-byte bitmap header block of a page: a 40-byte device-independent
   bitmap header followed by the red, green and blue masks. */
typedef struct ZENTRIXBITMAPINFO {
    uint32_t biSize;          /* 40 */
    int32_t  biWidth;
    int32_t  biHeight;        /* -Height: rows top-down */
    uint16_t biPlanes;        /* 1 */
    uint16_t biBitCount;      /* BPP */
    uint32_t biCompression;   /* 3: bit-field masks follow */
    uint32_t biSizeImage;
    int32_t  biXPelsPerMeter; /* 1024 */
    int32_t  biYPelsPerMeter; /* 1024 */
    uint32_t biClrUsed;
    uint32_t biClrImportant;
    uint32_t bmiColors[3];    /* red, green, blue masks */
} ZENTRIXBITMAPINFO;

/* A drawing surface. Pixel (x, y) is element y * Width + x of pPageData. */
typedef struct defZENTRIXPAGE {
    void              *hPageBM;          /* the pixel block's owning handle; null when empty */
    ZENTRIXBITMAPINFO *lpPageBitmapInfo; /* header block describing the pixels */
    void              *hPageDC;          /* copy handle: page-to-page copies take this */
    void              *pPageData;        /* pixel memory */
    int32_t            Width;
    int32_t            Height;
    uint32_t           BPP;              /* 16 or 32 */
    int32_t           *YLookup;          /* Height entries: y * Width */
    int32_t           *BothScans;        /* the edge-buffer block (freed) */
    int32_t           *LeftScans;        /* = BothScans */
    int32_t           *RightScans;       /* = BothScans + 15 * Height */
} defZENTRIXPAGE;

/* A block of pixels used as a blit source or texture. */
typedef struct defZENTRIXSPRITE {
    void    *pSpriteData;
    uint32_t Width;
    uint32_t Height;
    uint32_t BPP;                        /* 16 or 32; 0 is taken as 16 */
} defZENTRIXSPRITE;

/* ------------------------------------------------------------------ */
/* Pages and sprites                                                    */
/* ------------------------------------------------------------------ */

ZENTRIX_API int32_t  CreateGFXPage(defZENTRIXPAGE *page, int32_t Width, int32_t Height, int32_t BPP);
ZENTRIX_API void     DeleteGFXPage(defZENTRIXPAGE *page);
ZENTRIX_API uint32_t AllocateScanLines(defZENTRIXPAGE *page);
ZENTRIX_API defZENTRIXPAGE *AllocateGFXPage(int32_t Width, int32_t Height, int32_t BPP);
ZENTRIX_API void     FreeGFXPage(defZENTRIXPAGE *page);
ZENTRIX_API uint32_t AllocSprite32(defZENTRIXSPRITE *sprite);
ZENTRIX_API void     FreeSprite32(defZENTRIXSPRITE *sprite);
ZENTRIX_API void     LoadSprite32(const char *FileName, int32_t Width, int32_t Height, defZENTRIXSPRITE *sprite);

/* ------------------------------------------------------------------ */
/* Screen operations and blits                                          */
/* ------------------------------------------------------------------ */

ZENTRIX_API void Cls32(defZENTRIXPAGE *page, uint32_t r, uint32_t g, uint32_t b);
ZENTRIX_API void ClArea32(defZENTRIXPAGE *page, uint32_t FirstRow, uint32_t Rows, uint32_t r, uint32_t g, uint32_t b);
ZENTRIX_API void DimScreen32(defZENTRIXPAGE *page, uint32_t r, uint32_t g, uint32_t b);
ZENTRIX_API void BrightenScreen32(defZENTRIXPAGE *page, uint32_t r, uint32_t g, uint32_t b);
ZENTRIX_API void PutPixel32(defZENTRIXPAGE *page, uint32_t x, uint32_t y, uint32_t r, uint32_t g, uint32_t b);
ZENTRIX_API void Line32(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t r, uint32_t g, uint32_t b, defZENTRIXPAGE *page);
ZENTRIX_API void MaskPut32(defZENTRIXPAGE *DestGfxPage, int32_t nXDest, int32_t nYDest, int32_t nWidth, int32_t nHeight,
                           defZENTRIXSPRITE *SourceGfxSprite, int32_t nXSrc, int32_t nYSrc, uint32_t MaskColor);
ZENTRIX_API void MaskPutTrans32(defZENTRIXPAGE *DestGfxPage, int32_t nXDest, int32_t nYDest, int32_t nWidth, int32_t nHeight,
                                defZENTRIXSPRITE *SourceGfxSprite, int32_t nXSrc, int32_t nYSrc, uint32_t MaskColor,
                                uint32_t Level);
ZENTRIX_API void AddPut32(defZENTRIXPAGE *DestGfxPage, int32_t nXDest, int32_t nYDest, int32_t nWidth, int32_t nHeight,
                          defZENTRIXSPRITE *SourceGfxSprite, int32_t nXSrc, int32_t nYSrc);
ZENTRIX_API void MaskPutMerge32(defZENTRIXPAGE *DestGfxPage, int32_t nXDest, int32_t nYDest, int32_t nWidth, int32_t nHeight,
                                defZENTRIXSPRITE *SourceGfxSprite, int32_t nXSrc, int32_t nYSrc, defZENTRIXSPRITE *MaskSprite);
ZENTRIX_API void DblBlt32(defZENTRIXPAGE *SourcePage, defZENTRIXPAGE *DestPage);
/* hdc is a page's copy handle (hPageDC). Note: each height before its width. */
ZENTRIX_API void MemStretchBlt(void *hdc, int32_t x, int32_t y, int32_t DestHeight, int32_t DestWidth, const void *Pixels,
                               int32_t SrcX, int32_t SrcY, int32_t SrcHeight, int32_t SrcWidth, uint32_t BitsPerPixel);

/* Page-to-page copies (the device copies of the original, done in memory).
   Destination and source are pages' copy handles (hPageDC). The rectangle
   is clipped to both pages; BitBlt converts between 32- and 16-bit pixels
   when the pages differ. StretchBlt scales nearest-neighbour; a negative
   destination width or height mirrors the picture. */
ZENTRIX_API int32_t BitBlt(void *hdcDest, int32_t x, int32_t y, int32_t w, int32_t h,
                           void *hdcSrc, int32_t sx, int32_t sy);
ZENTRIX_API int32_t StretchBlt(void *hdcDest, int32_t x, int32_t y, int32_t w, int32_t h,
                               void *hdcSrc, int32_t sx, int32_t sy, int32_t sw, int32_t sh);

/* ------------------------------------------------------------------ */
/* Image loaders                                                        */
/* ------------------------------------------------------------------ */

/* File names are given as the program writes them ("Data\\Land.raw"):
   backslashes are path separators, and a name whose first folder is "Data"
   is looked up in the folder set here (by default "Data" in the working
   directory). ZentrixResolvePath writes the host path into Out (at most
   OutSize bytes, always terminated) and returns Out, or null when it does
   not fit. */
ZENTRIX_API void ZentrixSetDataFolder(const char *Folder);
ZENTRIX_API char *ZentrixResolvePath(const char *FileName, char *Out, uint32_t OutSize);

ZENTRIX_API void LoadRaw(const char *FileName, uint32_t Width, uint32_t Height, void *Destination);
ZENTRIX_API void LoadRaw24(const char *FileName, uint32_t Width, uint32_t Height, uint16_t *Destination);
ZENTRIX_API void LoadRaw32(const char *FileName, uint32_t Width, uint32_t Height, uint32_t *Destination);
ZENTRIX_API void LoadRaw24_24(const char *FileName, uint32_t Width, uint32_t Height, uint8_t *Destination);
/* Writes image width x height 32-bit pixels. Capacity is the number of
   pixels Destination holds: an image larger than that is refused (result 0,
   nothing written), so no file can make the loader write past the buffer. */
ZENTRIX_API uint32_t LoadPCX24(const char *FileName, uint32_t *Destination, uint32_t Capacity);

/* ------------------------------------------------------------------ */
/* Span routines                                                        */
/* ------------------------------------------------------------------ */

/* ------------------------------------------------------------------ */
/* Triangle rasterizers                                                 */
/* ------------------------------------------------------------------ */

/* ------------------------------------------------------------------ */
/* Quad rasterizers                                                     */
/* ------------------------------------------------------------------ */

/* ------------------------------------------------------------------ */
/* Offset-warp triangles                                                */
/* ------------------------------------------------------------------ */

#ifdef __cplusplus
}
#endif

#endif /* ZENTRIX_H */
