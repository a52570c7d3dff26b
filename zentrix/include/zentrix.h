/*
 * zentrix.h - the Zentrix software graphics library.
 *
 * Pages (drawable surfaces) and sprites (pixel blocks used as blit sources
 * and textures), image loaders, fills, tints and blits, and the span,
 * triangle, quad and offset-warp rasterizers for 16-bit (5-6-5) and 32-bit
 * (0x00RRGGBB) pixels. Everything is plain memory: no device is touched.
 * Besides: a splash picture blended over a background, a compressed data
 * archive of files, and cabinet (.cab) extraction.
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

/* A member of a data archive: one 140-byte directory entry. */
typedef struct defZENTRIXARCHIVEFILE {
    char     Name[128];          /* zero-terminated */
    uint32_t CompressedSize;     /* bytes of the compressed stream */
    uint32_t UncompressedSize;   /* bytes the member decodes to */
    uint32_t DataOffset;         /* file position of the compressed stream */
} defZENTRIXARCHIVEFILE;

/* An open data archive, filled by OpenArchive, released by CloseArchive. */
typedef struct defZENTRIXARCHIVE {
    int32_t                FileCount;
    int32_t                hFile;    /* low-level file descriptor; negative when not open */
    defZENTRIXARCHIVEFILE *pFiles;   /* FileCount entries, owned by the library */
} defZENTRIXARCHIVE;

/* EnumFiles callback: index (from 0), name, uncompressed size, compressed
   size, data offset. A result of 0 or less ends the walk. */
typedef int32_t (*ZENTRIXENUMPROC)(int32_t Index, const char *Name, uint32_t Size, uint32_t CompressedSize,
                                   uint32_t DataOffset);

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
/* 1 when the host path names a regular file (not a folder, FIFO or device,
   which would block or never end when read), else 0. Every reader of data
   files asks this before it opens one. */
ZENTRIX_API int32_t ZentrixIsRegularFile(const char *HostPath);

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

/* One horizontal row segment from x1 to x2 on row y, both ends drawn
   (skip-first routines leave out the left end), clipped to the page.
   Interpolated values are 16.16 fixed point; integer parts are rounded.
   16-bit routines draw 5-6-5 pixels and read 24-bit textures (R, G, B
   bytes); 32-bit routines draw 0x00RRGGBB and read 32-bit textures.
   Texel index = (V >> 16) * TexWidth + (U >> 16): the caller keeps U and
   V inside the texture (triangles and quads keep interpolated values
   between their vertex values, so in-texture vertices are enough).
   A routine draws nothing on a page of the other pixel size, and an Ofs
   routine nothing when the source page has another pixel size. */
ZENTRIX_API void HSolidLine16(int32_t x1, int32_t x2, int32_t y, uint32_t Colour, defZENTRIXPAGE *page);
ZENTRIX_API void HSolidLine32(int32_t x1, int32_t x2, int32_t y, uint32_t Colour, defZENTRIXPAGE *page);
ZENTRIX_API void HShadeLine16(int32_t x1, fixed16_t r1, fixed16_t g1, fixed16_t b1,
                              int32_t x2, fixed16_t r2, fixed16_t g2, fixed16_t b2, int32_t y, defZENTRIXPAGE *page);
ZENTRIX_API void HShadeLine32(int32_t x1, fixed16_t r1, fixed16_t g1, fixed16_t b1,
                              int32_t x2, fixed16_t r2, fixed16_t g2, fixed16_t b2, int32_t y, defZENTRIXPAGE *page);
ZENTRIX_API void HShadeLineLight16(int32_t x1, fixed16_t r1, fixed16_t g1, fixed16_t b1,
                                   int32_t x2, fixed16_t r2, fixed16_t g2, fixed16_t b2, int32_t y, defZENTRIXPAGE *page);
ZENTRIX_API void HShadeLineLight32(int32_t x1, fixed16_t r1, fixed16_t g1, fixed16_t b1,
                                   int32_t x2, fixed16_t r2, fixed16_t g2, fixed16_t b2, int32_t y, defZENTRIXPAGE *page);
/* Meant for spans known to lie inside the page; still clipped, so a wrong
   caller cannot write outside the page (same pixels for in-page spans). */
ZENTRIX_API void HNCShadeLineLight32(int32_t x1, fixed16_t r1, fixed16_t g1, fixed16_t b1,
                                     int32_t x2, fixed16_t r2, fixed16_t g2, fixed16_t b2, int32_t y, defZENTRIXPAGE *page);
ZENTRIX_API void HShadeLineDark16(int32_t x1, fixed16_t r1, fixed16_t g1, fixed16_t b1,
                                  int32_t x2, fixed16_t r2, fixed16_t g2, fixed16_t b2, int32_t y, defZENTRIXPAGE *page);
ZENTRIX_API void HShadeLineDark32(int32_t x1, fixed16_t r1, fixed16_t g1, fixed16_t b1,
                                  int32_t x2, fixed16_t r2, fixed16_t g2, fixed16_t b2, int32_t y, defZENTRIXPAGE *page);
ZENTRIX_API void HTextureLine16(int32_t x1, fixed16_t U1, fixed16_t V1, int32_t x2, fixed16_t U2, fixed16_t V2, int32_t y,
                                const void *Texture, int32_t TexWidth, defZENTRIXPAGE *page);
ZENTRIX_API void HTextureLine32(int32_t x1, fixed16_t U1, fixed16_t V1, int32_t x2, fixed16_t U2, fixed16_t V2, int32_t y,
                                const void *Texture, int32_t TexWidth, defZENTRIXPAGE *page);
ZENTRIX_API void HTextureMaskLine32(int32_t x1, fixed16_t U1, fixed16_t V1, int32_t x2, fixed16_t U2, fixed16_t V2, int32_t y,
                                    const void *Texture, int32_t TexWidth, uint32_t MaskColour, defZENTRIXPAGE *page);
ZENTRIX_API void HTextureLineTrans16(int32_t x1, fixed16_t U1, fixed16_t V1, int32_t x2, fixed16_t U2, fixed16_t V2, int32_t y,
                                     const void *Texture, int32_t TexWidth, int32_t Level, defZENTRIXPAGE *page);
ZENTRIX_API void HTextureLineTrans32(int32_t x1, fixed16_t U1, fixed16_t V1, int32_t x2, fixed16_t U2, fixed16_t V2, int32_t y,
                                     const void *Texture, int32_t TexWidth, int32_t Level, defZENTRIXPAGE *page);
ZENTRIX_API void HTextureLineDimmed32(int32_t x1, fixed16_t U1, fixed16_t V1, int32_t x2, fixed16_t U2, fixed16_t V2, int32_t y,
                                      const void *Texture, int32_t TexWidth, int32_t Factor, defZENTRIXPAGE *page);
ZENTRIX_API void HTextureLineLightDimmed32(int32_t x1, fixed16_t U1, fixed16_t V1, int32_t x2, fixed16_t U2, fixed16_t V2,
                                           int32_t y, const void *Texture, int32_t TexWidth, int32_t Factor,
                                           defZENTRIXPAGE *page);
ZENTRIX_API void HAddTextureLine16(int32_t x1, fixed16_t U1, fixed16_t V1, int32_t x2, fixed16_t U2, fixed16_t V2, int32_t y,
                                   const void *Texture, int32_t TexWidth, defZENTRIXPAGE *page);
ZENTRIX_API void HAddTextureLine32(int32_t x1, fixed16_t U1, fixed16_t V1, int32_t x2, fixed16_t U2, fixed16_t V2, int32_t y,
                                   const void *Texture, int32_t TexWidth, defZENTRIXPAGE *page);
ZENTRIX_API void HTextureLineLS16(int32_t x1, fixed16_t U1, fixed16_t V1, int32_t x2, fixed16_t U2, fixed16_t V2, int32_t y,
                                  int32_t LightRed, int32_t LightGreen, int32_t LightBlue,
                                  const void *Texture, int32_t TexWidth, defZENTRIXPAGE *page);
ZENTRIX_API void HTextureLineLS32(int32_t x1, fixed16_t U1, fixed16_t V1, int32_t x2, fixed16_t U2, fixed16_t V2, int32_t y,
                                  int32_t LightRed, int32_t LightGreen, int32_t LightBlue,
                                  const void *Texture, int32_t TexWidth, defZENTRIXPAGE *page);
/* DepthBuffer: signed 32-bit values laid out like the page's pixels. */
ZENTRIX_API void HTextureLineZ32(int32_t x1, fixed16_t U1, fixed16_t V1, fixed16_t z1,
                                 int32_t x2, fixed16_t U2, fixed16_t V2, fixed16_t z2, int32_t y,
                                 const void *Texture, int32_t TexWidth, void *DepthBuffer, defZENTRIXPAGE *page);
ZENTRIX_API void HOfsLine16(int32_t x1, int32_t x2, int32_t y, int32_t dx, int32_t dy,
                            const defZENTRIXPAGE *Source, defZENTRIXPAGE *page);
ZENTRIX_API void HOfsLine32(int32_t x1, int32_t x2, int32_t y, int32_t dx, int32_t dy,
                            const defZENTRIXPAGE *Source, defZENTRIXPAGE *page);
ZENTRIX_API void HOfsLineLS16(int32_t x1, int32_t x2, int32_t y, int32_t dx, int32_t dy,
                              int32_t LightRed, int32_t LightGreen, int32_t LightBlue,
                              const defZENTRIXPAGE *Source, defZENTRIXPAGE *page);
ZENTRIX_API void HOfsLineLS32(int32_t x1, int32_t x2, int32_t y, int32_t dx, int32_t dy,
                              int32_t LightRed, int32_t LightGreen, int32_t LightBlue,
                              const defZENTRIXPAGE *Source, defZENTRIXPAGE *page);
ZENTRIX_API void HOfsLineSmooth16(int32_t x1, fixed16_t sx1, fixed16_t sy1, int32_t x2, fixed16_t sx2, fixed16_t sy2, int32_t y,
                                  const defZENTRIXPAGE *Source, defZENTRIXPAGE *page);
ZENTRIX_API void HOfsLineSmooth32(int32_t x1, fixed16_t sx1, fixed16_t sy1, int32_t x2, fixed16_t sx2, fixed16_t sy2, int32_t y,
                                  const defZENTRIXPAGE *Source, defZENTRIXPAGE *page);
ZENTRIX_API void HOfsLineSmoothTexture16(int32_t x1, fixed16_t sx1, fixed16_t sy1, fixed16_t U1, fixed16_t V1,
                                         int32_t x2, fixed16_t sx2, fixed16_t sy2, fixed16_t U2, fixed16_t V2, int32_t y,
                                         const defZENTRIXPAGE *Source, const void *Texture, int32_t Level,
                                         int32_t TexWidth, defZENTRIXPAGE *page);
ZENTRIX_API void HOfsLineSmoothTexture32(int32_t x1, fixed16_t sx1, fixed16_t sy1, fixed16_t U1, fixed16_t V1,
                                         int32_t x2, fixed16_t sx2, fixed16_t sy2, fixed16_t U2, fixed16_t V2, int32_t y,
                                         const defZENTRIXPAGE *Source, const void *Texture, int32_t Level,
                                         int32_t TexWidth, defZENTRIXPAGE *page);
ZENTRIX_API void HOfsLineSmoothAddTexture16(int32_t x1, fixed16_t sx1, fixed16_t sy1, fixed16_t U1, fixed16_t V1,
                                            int32_t x2, fixed16_t sx2, fixed16_t sy2, fixed16_t U2, fixed16_t V2, int32_t y,
                                            const defZENTRIXPAGE *Source, const void *Texture, int32_t TexWidth,
                                            defZENTRIXPAGE *page);
ZENTRIX_API void HOfsLineSmoothAddTexture32(int32_t x1, fixed16_t sx1, fixed16_t sy1, fixed16_t U1, fixed16_t V1,
                                            int32_t x2, fixed16_t sx2, fixed16_t sy2, fixed16_t U2, fixed16_t V2, int32_t y,
                                            const defZENTRIXPAGE *Source, const void *Texture, int32_t TexWidth,
                                            defZENTRIXPAGE *page);
ZENTRIX_API void HOfsLineSmoothLS16(int32_t x1, fixed16_t sx1, fixed16_t sy1, fixed16_t r1, fixed16_t g1, fixed16_t b1,
                                    int32_t x2, fixed16_t sx2, fixed16_t sy2, fixed16_t r2, fixed16_t g2, fixed16_t b2,
                                    int32_t y, const defZENTRIXPAGE *Source, defZENTRIXPAGE *page);
ZENTRIX_API void HOfsLineSmoothLS32(int32_t x1, fixed16_t sx1, fixed16_t sy1, fixed16_t r1, fixed16_t g1, fixed16_t b1,
                                    int32_t x2, fixed16_t sx2, fixed16_t sy2, fixed16_t r2, fixed16_t g2, fixed16_t b2,
                                    int32_t y, const defZENTRIXPAGE *Source, defZENTRIXPAGE *page);

/* Selects the loops of the spans: 2 the AVX2 loops of the textured spans
   with SSE2 elsewhere (the default where the processor has AVX2; without
   it, 2 means 1), 1 the SSE2 loops (the default where the processor has
   only those), 0 the portable scalar loops. All draw the same pixels.
   Returns the previous setting. For tests and benchmarks. */
ZENTRIX_API int32_t ZentrixUseSimd(int32_t Enable);

/* ------------------------------------------------------------------ */
/* Triangle rasterizers                                                 */
/* ------------------------------------------------------------------ */

/* Vertices as integers (pixels, texels, colour units, depth); rows from
   the top vertex to the bottom one inclusive, clipped to the page. The
   page's BPP picks the span routine: 0 or 16 the 16-bit one, 32 the
   32-bit one, anything else draws nothing. A null texture draws nothing. */
ZENTRIX_API void SolidTri(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3,
                          uint32_t Colour, defZENTRIXPAGE *page);
ZENTRIX_API void ShadeTri(int32_t x1, int32_t y1, int32_t r1, int32_t g1, int32_t b1,
                          int32_t x2, int32_t y2, int32_t r2, int32_t g2, int32_t b2,
                          int32_t x3, int32_t y3, int32_t r3, int32_t g3, int32_t b3, defZENTRIXPAGE *page);
ZENTRIX_API void ShadeTriLight(int32_t x1, int32_t y1, int32_t r1, int32_t g1, int32_t b1,
                               int32_t x2, int32_t y2, int32_t r2, int32_t g2, int32_t b2,
                               int32_t x3, int32_t y3, int32_t r3, int32_t g3, int32_t b3, defZENTRIXPAGE *page);
ZENTRIX_API void ShadeTriDark(int32_t x1, int32_t y1, int32_t r1, int32_t g1, int32_t b1,
                              int32_t x2, int32_t y2, int32_t r2, int32_t g2, int32_t b2,
                              int32_t x3, int32_t y3, int32_t r3, int32_t g3, int32_t b3, defZENTRIXPAGE *page);
ZENTRIX_API void TextureTri(int32_t x1, int32_t y1, int32_t U1, int32_t V1, int32_t x2, int32_t y2, int32_t U2, int32_t V2,
                            int32_t x3, int32_t y3, int32_t U3, int32_t V3,
                            const void *Texture, int32_t TexWidth, defZENTRIXPAGE *page);
ZENTRIX_API void AddTextureTri(int32_t x1, int32_t y1, int32_t U1, int32_t V1, int32_t x2, int32_t y2, int32_t U2, int32_t V2,
                               int32_t x3, int32_t y3, int32_t U3, int32_t V3,
                               const void *Texture, int32_t TexWidth, defZENTRIXPAGE *page);
ZENTRIX_API void TextureTriTrans(int32_t x1, int32_t y1, int32_t U1, int32_t V1, int32_t x2, int32_t y2, int32_t U2, int32_t V2,
                                 int32_t x3, int32_t y3, int32_t U3, int32_t V3,
                                 const void *Texture, int32_t TexWidth, int32_t Level, defZENTRIXPAGE *page);
ZENTRIX_API void TextureTriDimmed(int32_t x1, int32_t y1, int32_t U1, int32_t V1, int32_t x2, int32_t y2, int32_t U2, int32_t V2,
                                  int32_t x3, int32_t y3, int32_t U3, int32_t V3,
                                  const void *Texture, int32_t TexWidth, int32_t Factor, defZENTRIXPAGE *page);
ZENTRIX_API void TextureTriLS(int32_t x1, int32_t y1, int32_t U1, int32_t V1, int32_t x2, int32_t y2, int32_t U2, int32_t V2,
                              int32_t x3, int32_t y3, int32_t U3, int32_t V3,
                              int32_t LightRed, int32_t LightGreen, int32_t LightBlue,
                              const void *Texture, int32_t TexWidth, defZENTRIXPAGE *page);
ZENTRIX_API void TextureTriZ(int32_t x1, int32_t y1, int32_t U1, int32_t V1, int32_t z1,
                             int32_t x2, int32_t y2, int32_t U2, int32_t V2, int32_t z2,
                             int32_t x3, int32_t y3, int32_t U3, int32_t V3, int32_t z3,
                             const void *Texture, int32_t TexWidth, void *DepthBuffer, defZENTRIXPAGE *page);

/* ------------------------------------------------------------------ */
/* Quad rasterizers                                                     */
/* ------------------------------------------------------------------ */

/* Corners in outline order; any four-cornered outline, each row filled
   between its leftmost and rightmost edge crossing. Needs the page's edge
   buffers (AllocateScanLines) and a page narrower than 2000 pixels;
   otherwise, or with a null texture or BPP other than 0, 16 or 32, draws
   nothing. A quad whose corners all share one row draws nothing. */
ZENTRIX_API void SolidQuad(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4, int32_t y4,
                           uint32_t Colour, defZENTRIXPAGE *page);
ZENTRIX_API void TextureQuad(int32_t x1, int32_t y1, int32_t U1, int32_t V1, int32_t x2, int32_t y2, int32_t U2, int32_t V2,
                             int32_t x3, int32_t y3, int32_t U3, int32_t V3, int32_t x4, int32_t y4, int32_t U4, int32_t V4,
                             const void *Texture, int32_t TexWidth, defZENTRIXPAGE *page);
ZENTRIX_API void TextureMaskQuad(int32_t x1, int32_t y1, int32_t U1, int32_t V1, int32_t x2, int32_t y2, int32_t U2, int32_t V2,
                                 int32_t x3, int32_t y3, int32_t U3, int32_t V3, int32_t x4, int32_t y4, int32_t U4, int32_t V4,
                                 const void *Texture, int32_t TexWidth, uint32_t MaskColour, defZENTRIXPAGE *page);
ZENTRIX_API void TextureQuadDimmed(int32_t x1, int32_t y1, int32_t U1, int32_t V1, int32_t x2, int32_t y2, int32_t U2, int32_t V2,
                                   int32_t x3, int32_t y3, int32_t U3, int32_t V3, int32_t x4, int32_t y4, int32_t U4, int32_t V4,
                                   const void *Texture, int32_t TexWidth, int32_t Factor, defZENTRIXPAGE *page);
ZENTRIX_API void AddTextureQuad(int32_t x1, int32_t y1, int32_t U1, int32_t V1, int32_t x2, int32_t y2, int32_t U2, int32_t V2,
                                int32_t x3, int32_t y3, int32_t U3, int32_t V3, int32_t x4, int32_t y4, int32_t U4, int32_t V4,
                                const void *Texture, int32_t TexWidth, defZENTRIXPAGE *page);
ZENTRIX_API void AddTextureQuadDimmed(int32_t x1, int32_t y1, int32_t U1, int32_t V1, int32_t x2, int32_t y2, int32_t U2,
                                      int32_t V2, int32_t x3, int32_t y3, int32_t U3, int32_t V3, int32_t x4, int32_t y4,
                                      int32_t U4, int32_t V4, const void *Texture, int32_t TexWidth, int32_t Factor,
                                      defZENTRIXPAGE *page);
ZENTRIX_API void ShadeQuadLight(int32_t x1, int32_t y1, int32_t r1, int32_t g1, int32_t b1,
                                int32_t x2, int32_t y2, int32_t r2, int32_t g2, int32_t b2,
                                int32_t x3, int32_t y3, int32_t r3, int32_t g3, int32_t b3,
                                int32_t x4, int32_t y4, int32_t r4, int32_t g4, int32_t b4, defZENTRIXPAGE *page);
ZENTRIX_API void TextureQuadZ(int32_t x1, int32_t y1, int32_t U1, int32_t V1, int32_t z1,
                              int32_t x2, int32_t y2, int32_t U2, int32_t V2, int32_t z2,
                              int32_t x3, int32_t y3, int32_t U3, int32_t V3, int32_t z3,
                              int32_t x4, int32_t y4, int32_t U4, int32_t V4, int32_t z4,
                              const void *Texture, int32_t TexWidth, void *DepthBuffer, defZENTRIXPAGE *page);

/* ------------------------------------------------------------------ */
/* Offset-warp triangles                                                */
/* ------------------------------------------------------------------ */

/* Triangles filled from a second page (Source, same pixel size as page):
   shifted by (dx, dy), or warped by per-vertex source coordinates. */
ZENTRIX_API void OfsTri(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t dx, int32_t dy,
                        const defZENTRIXPAGE *Source, defZENTRIXPAGE *page);
ZENTRIX_API void OfsTriLS(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t dx, int32_t dy,
                          int32_t LightRed, int32_t LightGreen, int32_t LightBlue,
                          const defZENTRIXPAGE *Source, defZENTRIXPAGE *page);
ZENTRIX_API void OfsTriSmooth(int32_t x1, int32_t y1, int32_t sx1, int32_t sy1, int32_t x2, int32_t y2, int32_t sx2,
                              int32_t sy2, int32_t x3, int32_t y3, int32_t sx3, int32_t sy3,
                              const defZENTRIXPAGE *Source, defZENTRIXPAGE *page);
ZENTRIX_API void OfsTriSmoothLS(int32_t x1, int32_t y1, int32_t sx1, int32_t sy1, int32_t r1, int32_t g1, int32_t b1,
                                int32_t x2, int32_t y2, int32_t sx2, int32_t sy2, int32_t r2, int32_t g2, int32_t b2,
                                int32_t x3, int32_t y3, int32_t sx3, int32_t sy3, int32_t r3, int32_t g3, int32_t b3,
                                const defZENTRIXPAGE *Source, defZENTRIXPAGE *page);
ZENTRIX_API void OfsTriSmoothTexture(int32_t x1, int32_t y1, int32_t sx1, int32_t sy1, int32_t U1, int32_t V1,
                                     int32_t x2, int32_t y2, int32_t sx2, int32_t sy2, int32_t U2, int32_t V2,
                                     int32_t x3, int32_t y3, int32_t sx3, int32_t sy3, int32_t U3, int32_t V3,
                                     const defZENTRIXPAGE *Source, const void *Texture, int32_t Level, int32_t TexWidth,
                                     defZENTRIXPAGE *page);
ZENTRIX_API void OfsTriSmoothAddTexture(int32_t x1, int32_t y1, int32_t sx1, int32_t sy1, int32_t U1, int32_t V1,
                                        int32_t x2, int32_t y2, int32_t sx2, int32_t sy2, int32_t U2, int32_t V2,
                                        int32_t x3, int32_t y3, int32_t sx3, int32_t sy3, int32_t U3, int32_t V3,
                                        const defZENTRIXPAGE *Source, const void *Texture, int32_t TexWidth,
                                        defZENTRIXPAGE *page);

/* ------------------------------------------------------------------ */
/* Splash screen                                                        */
/* ------------------------------------------------------------------ */

/* A picture blended through a mask over a background. Three library pages
   of 24 bits a pixel (B, G, R bytes, rows of exactly Width * 3 bytes): the
   work page, the picture and the mask, whose every byte weighs the
   picture's byte at the same place in 256ths.
   InitSplash takes the picture and the mask from pages: PictureDC and
   MaskDC are pages' copy handles (hPageDC) of 16, 24 or 32 bits a pixel,
   read from (0, 0); InitSplashFromMemory takes two blocks of Width x Height
   24-bit pixels. Either returns 1, or 0 (and holds nothing) when a size is
   not positive, a source is missing or smaller, or memory runs out.
   The background stands in for the desktop behind the window: the page set
   with SetSplashBackground (its copy handle; null clears it). DrawSplashToDC
   copies the background's rectangle at (x, y) of the splash size into the
   work page (parts outside the background stay black), blends, and copies
   the result to the target page (its copy handle) at (0, 0). Without a
   background the target's own rectangle at (x, y) is the background. */
ZENTRIX_API uint32_t InitSplash(int32_t Width, int32_t Height, void *PictureDC, void *MaskDC);
ZENTRIX_API uint32_t InitSplashFromMemory(int32_t Width, int32_t Height, const uint8_t *Picture, const uint8_t *Mask);
ZENTRIX_API void     SetSplashBackground(void *BackgroundDC);
ZENTRIX_API uint32_t DrawSplashToDC(void *TargetDC, int32_t x, int32_t y);
/* work = (mask * image + (256 - mask) * work) >> 8, byte by byte, over
   Width x Height x 3 bytes of the work page; all three pages 24-bit and at
   least that large, or nothing is drawn. Returns 1. */
ZENTRIX_API int32_t  DrawMaskedToGFXPage(defZENTRIXPAGE *Work, const defZENTRIXPAGE *Image, const defZENTRIXPAGE *Mask);
ZENTRIX_API void     DeleteSplash(void);

/* ------------------------------------------------------------------ */
/* Data archive                                                         */
/* ------------------------------------------------------------------ */

/* An archive holds the files that match a pattern ("Data\\*.raw", either
   separator; * and ? in the last part, matched without regard to case),
   each compressed with the library's sliding-window coder (4096-byte
   window, matches of 3 to 128 bytes). File names go through the data-folder
   mapping above. Subfolders, the archive itself, names of 128 bytes or
   more and files that would take the archive past 4 GiB are left out; a
   file that can't be read is stored as an empty member (it won't decode).
   CompressFiles reports only a failure to create or write the archive,
   as one line on stderr headed "GetLastError:". */
ZENTRIX_API void     CompressFiles(const char *Pattern, const char *ArchiveName);
/* 1 when the archive opened and its directory is sound: the member count
   matches the members, names fit, every stream lies inside the file.
   0 otherwise, with the record closed (FileCount 0, hFile -1, pFiles null). */
ZENTRIX_API uint32_t OpenArchive(const char *ArchiveName, defZENTRIXARCHIVE *Archive);
ZENTRIX_API uint32_t CloseArchive(defZENTRIXARCHIVE *Archive);
/* Index of the first member of that name (case ignored), or -1. */
ZENTRIX_API int32_t  FindArchiveFileByName(const char *Name, defZENTRIXARCHIVE *Archive);
/* Decode a member into Destination, which holds DestinationSize bytes.
   1 on success; 0 when the index or name is unknown, the member is larger
   than the buffer, or its stream is malformed (nothing is ever written
   past DestinationSize, nor past the member's size). The ByName form
   decodes every member of that name in turn: the last one is left. */
ZENTRIX_API uint32_t ReadArchiveFileByIndexSized(int32_t Index, defZENTRIXARCHIVE *Archive, void *Destination,
                                                 uint32_t DestinationSize);
ZENTRIX_API uint32_t ReadArchiveFileByNameSized(const char *Name, defZENTRIXARCHIVE *Archive, void *Destination,
                                                uint32_t DestinationSize);
/* As above with a buffer of the member's uncompressed size. */
ZENTRIX_API uint32_t ReadArchiveFileByName(const char *Name, defZENTRIXARCHIVE *Archive, void *Destination);
ZENTRIX_API uint32_t ReadArchiveFileByIndex(int32_t Index, defZENTRIXARCHIVE *Archive, void *Destination);
/* Decodes a member into a file created under OutputName; the file appears
   under that name only when the member decoded whole. 1, or 0 on failure. */
ZENTRIX_API uint32_t ReadArchiveFileToDiskByIndex(int32_t Index, defZENTRIXARCHIVE *Archive, const char *OutputName);
/* Walks the members, calling Callback for each; returns the number of
   calls. A file that does not begin with an archive chunk visits nothing. */
ZENTRIX_API uint32_t EnumFiles(const char *ArchiveName, ZENTRIXENUMPROC Callback);

/* Raw coder, for tools and tests. ZentrixCompress writes the stream of
   Input into Output (at most OutputSize bytes) and returns its length, or
   0 when it does not fit; a stream is never longer than
   ZentrixCompressBound(InputSize). ZentrixDecompress decodes a stream into
   Output and returns 1 only when it ends with its end mark after exactly
   OutputSize bytes, inside InputSize bytes, and never points before its
   start. */
ZENTRIX_API uint32_t ZentrixCompressBound(uint32_t InputSize);
ZENTRIX_API uint32_t ZentrixCompress(const void *Input, uint32_t InputSize, void *Output, uint32_t OutputSize);
ZENTRIX_API uint32_t ZentrixDecompress(const void *Input, uint32_t InputSize, void *Output, uint32_t OutputSize);

/* The path where a member named Name (from an archive or a cabinet) is
   written under the folder Dir: both separators split folders; empty, "."
   and ".." parts, a leading drive ("C:") and leading separators are
   removed, so the result always lies under Dir. Writes at most OutSize
   bytes and returns Out, or null when nothing of the name remains or the
   result does not fit. */
ZENTRIX_API char *ZentrixMemberPath(const char *Dir, const char *Name, char *Out, uint32_t OutSize);

/* ------------------------------------------------------------------ */
/* Cabinet extraction                                                   */
/* ------------------------------------------------------------------ */

/* Extracts every file of a cabinet (.cab; stored, MSZIP, Quantum and LZX
   folders) into TargetDir (with or without a final separator; created when
   missing), member names made safe as ZentrixMemberPath says; folders in
   names are created. Each file is written under a temporary name and
   renamed when complete, then gets the cabinet's date and time (local
   time) and its read-only flag (hidden, system and archive have no
   counterpart here). The other cabinets of a set (earlier and later) are
   looked for beside the one given, under the names it records; files that
   need a missing one fail ("Cabinet not found"), the others are extracted.
   A file that fails leaves nothing under its name; the rest go on.
   1 when every file was extracted, else 0 with a text for GetCABError. */
ZENTRIX_API uint32_t DecompressCAB(const char *CabinetPath, const char *TargetDir);
/* Copies the last error text, terminated, into Buffer (256 bytes at least);
   returns the bytes copied including the terminating zero. */
ZENTRIX_API uint32_t GetCABError(char *Buffer);

#ifdef __cplusplus
}
#endif

#endif /* ZENTRIX_H */
