#ifndef REGCEIL_H
#define REGCEIL_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Replaces path with size bytes through a temporary file, fsync and rename. */
int regceil_write(const char* path, const char* bytes, size_t size, double* total_ms, double* fsync_ms);
/* Reads path whole. */
int regceil_read(const char* path, double* total_ms);

#ifdef __cplusplus
}
#endif

#endif
