/* Seeded data-set generator: COUNT files of SIZE random bytes in DIR, named
 * f000001.bin, f000002.bin ... The bytes of file i depend only on the seed and
 * i, so every run (and every machine) gets the same files, and random bytes
 * keep any compression on the way from skewing the figures.
 *
 *   vqgen DIR COUNT SIZE SEED
 */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static uint64_t splitmix64(uint64_t* state)
{
    uint64_t z = (*state += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

/* xoshiro256** */
typedef struct { uint64_t s[4]; } rng_t;

static inline uint64_t rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

static inline uint64_t rng_next(rng_t* r)
{
    uint64_t* s = r->s;
    const uint64_t result = rotl(s[1] * 5, 7) * 9;
    const uint64_t t = s[1] << 17;
    s[2] ^= s[0];
    s[3] ^= s[1];
    s[1] ^= s[2];
    s[0] ^= s[3];
    s[2] ^= t;
    s[3] = rotl(s[3], 45);
    return result;
}

static void rng_seed(rng_t* r, uint64_t seed, uint64_t index)
{
    uint64_t state = seed ^ (index * 0xd1342543de82ef95ULL);
    for (int i = 0; i < 4; ++i)
        r->s[i] = splitmix64(&state);
}

static int write_all(int fd, const char* p, size_t n)
{
    while (n) {
        ssize_t w = write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        p += w;
        n -= (size_t)w;
    }
    return 0;
}

int main(int argc, char** argv)
{
    if (argc != 5) {
        fprintf(stderr, "usage: %s DIR COUNT SIZE SEED\n", argv[0]);
        return 2;
    }
    const char* dir = argv[1];
    const long count = strtol(argv[2], NULL, 10);
    const unsigned long long size = strtoull(argv[3], NULL, 10);
    const uint64_t seed = strtoull(argv[4], NULL, 10);
    if (count < 0 || count > 999999) {
        fprintf(stderr, "vqgen: COUNT must be 0..999999\n");
        return 2;
    }
    if (mkdir(dir, 0755) != 0 && errno != EEXIST) {
        perror(dir);
        return 1;
    }
    enum { Block = 1 << 20 };
    uint64_t* block = malloc(Block);
    if (!block) return 1;
    char path[4096];
    for (long i = 1; i <= count; ++i) {
        snprintf(path, sizeof path, "%s/f%06ld.bin", dir, i);
        int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) {
            perror(path);
            return 1;
        }
        rng_t rng;
        rng_seed(&rng, seed, (uint64_t)i);
        for (unsigned long long left = size; left;) {
            size_t n = left < Block ? (size_t)left : Block;
            for (size_t w = 0; w < (n + 7) / 8; ++w)
                block[w] = rng_next(&rng);
            if (write_all(fd, (const char*)block, n) != 0) {
                perror(path);
                return 1;
            }
            left -= n;
        }
        if (close(fd) != 0) {
            perror(path);
            return 1;
        }
    }
    free(block);
    return 0;
}
