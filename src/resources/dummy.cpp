// Resources only; this file gives the library a translation unit of its own.
