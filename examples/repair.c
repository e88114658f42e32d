/* Repairs a Russian text file stored in the wrong Cyrillic encoding, or a UTF-8 file holding
 * text damaged through Unicode ("РџСЂРёРІРµС‚"), with libvorlex, reading the file as vorlex-cli
 * does: writes the repaired text as UTF-8 to standard output and the verdict, the action and
 * the confidence to standard error.
 *
 *   cc repair.c $(pkg-config --cflags --libs vorlex) -o repair
 *   ./repair koi8.txt
 */
#include <stdio.h>
#include <stdlib.h>
#include <vorlex.h>

static char* read_file(const char* path, size_t* length) {
    FILE* file = fopen(path, "rb");
    if (!file)
        return NULL;
    size_t size = 0, capacity = 65536;
    char* data = malloc(capacity);
    while (data) {
        size += fread(data + size, 1, capacity - size, file);
        if (size < capacity)
            break;
        char* larger = realloc(data, capacity *= 2);
        if (!larger)
            free(data);
        data = larger;
    }
    if (ferror(file)) {
        free(data);
        data = NULL;
    }
    fclose(file);
    *length = size;
    return data;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    size_t length = 0;
    char* data = read_file(argv[1], &length);
    if (!data) {
        perror(argv[1]);
        return 1;
    }
    vorlex_repair_result* result = NULL;
    const vorlex_status status = vorlex_repair(data, length, VORLEX_INPUT_DETECT, &result, NULL);
    free(data);
    if (status != VORLEX_OK) {
        fprintf(stderr, "%s: %s\n", argv[1], vorlex_status_message(status));
        return 1;
    }
    fprintf(stderr, "libvorlex %s: verdict %s, action \"%s\", confidence %.2f, plausibility %.2f\n",
            vorlex_version(), vorlex_verdict_name(result->verdict), result->action,
            result->confidence, result->plausibility);
    const int written = fwrite(result->text, 1, result->text_length, stdout) == result->text_length;
    const int repaired = result->verdict != VORLEX_VERDICT_NONE;
    vorlex_repair_free(result);
    return written && repaired ? 0 : 1;
}
