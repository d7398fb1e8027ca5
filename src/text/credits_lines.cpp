// credits_lines.cpp: the words of the end credits, one string per line.
//
// Each line's length sets the width of its bar (padding counts): blank lines
// draw a bar without segments, empty ones leave a gap, "XD" shows the
// picture. The lines are printed as data, yet none holds a percent sign.
#include "text/credits.h"

const char* const credits_lines[credits_line_count] = {
    "T  A  N  G  L  E",                                  // 0
    "",                                                  // 1
    "",                                                  // 2
    "",                                                  // 3
    "",                                                  // 4
    "",                                                  // 5
    "",                                                  // 6
    "",                                                  // 7
    "                                    ",              // 8
    "                                    ",              // 9
    "       THANK YOU FOR WATCHING       ",              // 10
    "                                    ",              // 11
    "                                    ",              // 12
    "       WE LEAVE YOU WITH THIS       ",              // 13
    "XD",                                                // 14
    "",                                                  // 15
    "",                                                  // 16
    "",                                                  // 17
    "                                    ",              // 18
    "               TANGLE               ",              // 19
    "   A SHOW THAT RUNS IN REAL TIME    ",              // 20
    "                                    ",              // 21
    "                 -.-                ",              // 22
    "                                    ",              // 23
    "               CREDITS               ",             // 24
    "                                     ",             // 25
    "    CODE          (GCC AND CMAKE)    ",             // 26
    "    SOUND     (LIBMPG123 AND SDL)    ",             // 27
    "   LETTERS (FREETYPE AND FONTTOOLS)  ",             // 28
    "                                     ",             // 29
    "     EVERY LINE OF CODE WRITTEN     ",              // 30
    "  FOR THE FIXED-FUNCTION PIPELINE   ",              // 31
    "                                    ",              // 32
    "    1002 STRANDS OF 10 PARTICLES    ",              // 33
    "                                    ",              // 34
    "  1000 POINTS IN A DRIFTING CLOUD   ",              // 35
    "                                    ",              // 36
    "      49 PICTURES, THREE TUNES      ",              // 37
    "     AND ONE SEVEN-SEGMENT FONT     ",              // 38
    "                                     ",             // 39
    "                 -.-                ",              // 40
    "                                     ",             // 41
    "             MADE WITH              ",              // 42
    "        OPEN-SOURCE SOFTWARE        ",              // 43
    "                                    ",              // 44
    "  FREEGLUT AND GLEW OPEN THE WINDOW  ",             // 45
    "                                    ",              // 46
    "       MESA PAINTS THE PIXELS        ",             // 47
    "                                    ",              // 48
    "  SDL AND LIBMPG123 PLAY THE MUSIC   ",             // 49
    "                                    ",              // 50
    "     FREETYPE SHAPES THE LETTERS     ",             // 51
    "                                    ",              // 52
    "     GOOGLETEST KEEPS IT HONEST     ",              // 53
    "                                     ",             // 54
    "                 -.-                ",              // 55
    " CMAKE, GCC AND DEBIAN HOLD IT ALL TOGETHER ",      // 56
    "                 -.-                ",              // 57
    "                                          ",        // 58
    "                                          ",        // 59
    "                GREETINGS                 ",        // 60
    "                GO OUT TO                 ",        // 61
    "            THE PEOPLE BEHIND             ",        // 62
    "         THE OPEN-SOURCE PROJECTS         ",        // 63
    "           THIS SHOW STANDS ON            ",        // 64
    "                                          ",        // 65
    "                 FREEGLUT                 ",        // 66
    "                   GLEW                   ",        // 67
    "                 MESA 3D                  ",        // 68
    "                   SDL                    ",        // 69
    "                SDL_IMAGE                 ",        // 70
    "                 FREETYPE                 ",        // 71
    "                LIBMPG123                 ",        // 72
    "                   LAME                   ",        // 73
    "                GOOGLETEST                ",        // 74
    "             GOOGLE BENCHMARK             ",        // 75
    "                  CMAKE                   ",        // 76
    "                   GCC                    ",        // 77
    "                  DEBIAN                  ",        // 78
    "                DSEG FONT                 ",        // 79
    "                  LIBPNG                  ",        // 80
    "                   ZLIB                   ",        // 81
    "                  FFMPEG                  ",        // 82
    "              X.ORG AND XVFB              ",        // 83
    "                                     ",             // 84
    "              thank you all               ",        // 85
    "                                     ",             // 86
    "                                     ",             // 87
    "                                     ",             // 88
    "                                     ",             // 89
    "                                     ",             // 90
    "                                     ",             // 91
    "                                     ",             // 92
    "                                     ",             // 93
    "           HOW THE SHOW WORKS           ",          // 94
    "                                     ",             // 95
    "                                     ",             // 96
    "                                     ",             // 97
    "                                     ",             // 98
    " THE MUSIC IS THE CLOCK. EVERY       ",             // 99
    " FRAME ASKS WHERE THE SONG IS AND    ",             // 100
    " DRAWS WHAT BELONGS THERE.           ",             // 101
    " A STORYBOARD OF KEY PRESSES,        ",             // 102
    " RECORDED WHILE THE MUSIC PLAYED,    ",             // 103
    " FIRES THE SAME COMMANDS AGAIN AT    ",             // 104
    " THE SAME MOMENTS.                   ",             // 105
    " TWO HAIR BALLS SWING FROM THEIR     ",             // 106
    " PINNED ROOTS, AND SPRINGS PULL      ",             // 107
    " EVERY STRAND BACK INTO SHAPE.       ",             // 108
    " A CLOUD OF POINTS DRIFTS BY, AND    ",             // 109
    " A CLOCK COUNTS DOWN TO THE END      ",             // 110
    " OF THE SHOW.                        ",             // 111
    "                                     ",             // 112
    "  THE TOOLS  ",                                     // 113
    " OPENGL THE OLD WAY: DISPLAY         ",             // 114
    " LISTS, MATRIX STACKS AND QUADS.     ",             // 115
    " THE WINDOW COMES FROM FREEGLUT,     ",             // 116
    " THE EXTENSIONS FROM GLEW, THE       ",             // 117
    " PICTURES FROM SDL_IMAGE, THE        ",             // 118
    " SOUND FROM LIBMPG123 AND SDL,       ",             // 119
    " THE GLYPHS FROM FREETYPE AND A      ",             // 120
    " FONT OF OUR OWN. LAME MADE THE TEST ",             // 121
    " TONES, FFMPEG CUT THE VIDEOS AND    ",             // 122
    " XVFB LET THE TESTS DRAW WITHOUT     ",             // 123
    " A SCREEN. GOOGLETEST CHECKED IT     ",             // 124
    " ALL, FRAME BY FRAME.                ",             // 125
    "                                     ",             // 126
    "                                     ",             // 127
    "TO EVERYONE WHO WATCHES DEMOS ",                    // 128
    " YOU ARE THE REASON WE DO THIS.      ",             // 129
    " KEEP GOING TO PARTIES, KEEP         ",             // 130
    " WATCHING, KEEP MAKING THINGS        ",             // 131
    " THAT RUN IN REAL TIME.              ",             // 132
    " WRITE A DEMO OF YOUR OWN:           ",             // 133
    " ALL IT TAKES IS A CLOCK, A TUNE     ",             // 134
    " AND SOMETHING THAT SWINGS.          ",             // 135
    " SEE YOU AT THE NEXT PARTY,          ",             // 136
    " IN FRONT OF THE BIG SCREEN.         ",             // 137
    "                                     ",             // 138
    "                                            ",      // 139
    "                                            ",      // 140
    "            SOME NUMBERS            ",              // 141
    "        390 LINES OF CREDITS        ",              // 142
    "      1126000 STORYBOARD SLOTS      ",              // 143
    "                                    ",              // 144
    "                                    ",              // 145
    "                                    ",              // 146
    "     10 TENTHS IN EVERY SECOND      ",              // 147
    "     7 SEGMENTS IN EVERY DIGIT      ",              // 148
    "     2 SHEETS, 20040 PARTICLES      ",              // 149
    "                                    ",              // 150
    "    AND NOT ONE OF THEM IS REAL     ",              // 151
    "                                    ",              // 152
    "                                    ",              // 153
    "                                    ",              // 154
    "                                    ",              // 155
    "                                    ",              // 156
    "           STILL READING?           ",              // 157
    "                                    ",              // 158
    "                                    ",              // 159
    "                                    ",              // 160
    "                                    ",              // 161
    "                                    ",              // 162
    "                                    ",              // 163
    "                                    ",              // 164
    "                                    ",              // 165
    "               GOOD.                ",              // 166
    "                                    ",              // 167
    "                                    ",              // 168
    "                                    ",              // 169
    "     THEN HERE IS A LITTLE MORE     ",              // 170
    "       ABOUT THE MAKING OF IT       ",              // 171
    "                                    ",              // 172
    "                                    ",              // 173
    "                                    ",              // 174
    " THE SHOW WAS WRITTEN DOWN FIRST,   ",              // 175
    " EVERY SCENE, EVERY NUMBER, EVERY   ",              // 176
    " COLOUR, AND THEN BUILT AGAIN       ",              // 177
    " FROM THAT DESCRIPTION ALONE.       ",              // 178
    " THE PICTURES WERE DRAWN BY         ",              // 179
    " PROGRAMS, THE TEST TUNES WERE      ",              // 180
    " MADE BY PROGRAMS, AND THE TESTS    ",              // 181
    " WATCHED THE SCREEN SO THAT         ",              // 182
    " NOBODY HAD TO.                     ",              // 183
    " WHEN A NUMBER LOOKED WRONG, WE     ",              // 184
    " FIXED THE PROGRAM, NOT THE         ",              // 185
    " NUMBER. WHEN THE PROGRAM LOOKED    ",              // 186
    " WRONG, WE WROTE ANOTHER TEST.      ",              // 187
    " THEN WE WROTE THESE CREDITS.       ",              // 188
    "                                    ",              // 189
    "                                    ",              // 190
    " IF YOU WANT TO MAKE ONE TOO:       ",              // 191
    " START WITH THE MUSIC. LET IT BE    ",              // 192
    " THE CLOCK. DRAW ONE THING THAT     ",              // 193
    " MOVES WITH IT, THEN ANOTHER.       ",              // 194
    " RECORD YOUR KEY PRESSES WHILE      ",              // 195
    " THE SONG PLAYS AND PLAY THEM       ",              // 196
    " BACK. CHANGE WHAT DOES NOT FIT.    ",              // 197
    " SHOW IT TO YOUR FRIENDS. SHOW IT   ",              // 198
    " AT A PARTY. LISTEN TO THE ROOM.    ",              // 199
    " THAT IS ALL THERE IS TO IT,        ",              // 200
    " AND IT NEVER GETS OLD.             ",              // 201
    " THE SCREEN IS YOURS NOW.           ",              // 202
    " THANK YOU FOR STAYING              ",              // 203
    " TO THE VERY END.                   ",              // 204
    "                                    ",              // 205
    "                                    ",              // 206
    "                                    ",              // 207
    "                                    ",              // 208
    "                                    ",              // 209
    "                                    ",              // 210
    "                                    ",              // 211
    "                                    ",              // 212
    "                                    ",              // 213
    "                                    ",              // 214
    "                                    ",              // 215
    "              THE END               ",              // 216
    "                                    ",              // 217
    "                                    ",              // 218
    "                                    ",              // 219
    "                                    ",              // 220
    "                                    ",              // 221
    "                                    ",              // 222
    "                                    ",              // 223
    "                                    ",              // 224
    "                                    ",              // 225
    "                                    ",              // 226
    "                                    ",              // 227
    "                                    ",              // 228
    "                                    ",              // 229
    "                                    ",              // 230
    "                                    ",              // 231
    "                                    ",              // 232
    "                                    ",              // 233
    "             NO, REALLY             ",              // 234
    "                                    ",              // 235
    "                                    ",              // 236
    "                                    ",              // 237
    "                                    ",              // 238
    "                                    ",              // 239
    "                                    ",              // 240
    "                                    ",              // 241
    "                                    ",              // 242
    "                                    ",              // 243
    "                                    ",              // 244
    "      THE MUSIC KEEPS PLAYING       ",              // 245
    "        AS LONG AS YOU LIKE         ",              // 246
    "                                    ",              // 247
    "                                    ",              // 248
    "                                    ",              // 249
    "                                    ",              // 250
    "                                    ",              // 251
    "                                    ",              // 252
    "                                    ",              // 253
    "                                    ",              // 254
    "                                    ",              // 255
    "                                    ",              // 256
    "                                    ",              // 257
    "                                    ",              // 258
    "        GO ON, PRESS ESCAPE         ",              // 259
    "                                    ",              // 260
    "                                    ",              // 261
    "                                    ",              // 262
    "                                    ",              // 263
    "                                    ",              // 264
    "                                    ",              // 265
    "                                    ",              // 266
    "                                    ",              // 267
    "                                    ",              // 268
    "                                    ",              // 269
    "                                    ",              // 270
    "          OR STAY A WHILE           ",              // 271
    "             AND LISTEN             ",              // 272
    "          TO THE LAST TUNE          ",              // 273
    "                                    ",              // 274
    "                                    ",              // 275
    "                                    ",              // 276
    "                                    ",              // 277
    "                                    ",              // 278
    "                                    ",              // 279
    "             STILL HERE             ",              // 280
    "                                    ",              // 281
    "                                    ",              // 282
    "                                    ",              // 283
    "                                    ",              // 284
    "                                    ",              // 285
    "                                    ",              // 286
    "                                    ",              // 287
    "                                    ",              // 288
    "                                    ",              // 289
    "      WE ADMIRE YOUR PATIENCE       ",              // 290
    "                                    ",              // 291
    "                                    ",              // 292
    "                                    ",              // 293
    "         HAVE A CUP OF TEA          ",              // 294
    "                                    ",              // 295
    "                                    ",              // 296
    "                                    ",              // 297
    "                                    ",              // 298
    "                                    ",              // 299
    "                                    ",              // 300
    "                                    ",              // 301
    "               OR TWO               ",              // 302
    "                                    ",              // 303
    "              OR THREE              ",              // 304
    "                                    ",              // 305
    "                                    ",              // 306
    "                                    ",              // 307
    "                                    ",              // 308
    "                                    ",              // 309
    "                                    ",              // 310
    "     THE LINES ARE RUNNING OUT      ",              // 311
    "                                    ",              // 312
    "                                    ",              // 313
    "                                    ",              // 314
    "                                    ",              // 315
    "                                    ",              // 316
    "                                    ",              // 317
    "                                    ",              // 318
    "                                    ",              // 319
    " this line is wider than the screen, on purpose ",  // 320
    "                                    ",              // 321
    "                                    ",              // 322
    "                                    ",              // 323
    "                                    ",              // 324
    "                                    ",              // 325
    "                                    ",              // 326
    "                                    ",              // 327
    "                                    ",              // 328
    "            ALMOST THERE            ",              // 329
    "                                    ",              // 330
    "          JUST A FEW MORE           ",              // 331
    "                                    ",              // 332
    "                                    ",              // 333
    "                                    ",              // 334
    "                                    ",              // 335
    "                                    ",              // 336
    "                                    ",              // 337
    "                                    ",              // 338
    "                                    ",              // 339
    "                                    ",              // 340
    "                                    ",              // 341
    "                                    ",              // 342
    "               THREE                ",              // 343
    "                                    ",              // 344
    "                                    ",              // 345
    "                                    ",              // 346
    "                                    ",              // 347
    "                                    ",              // 348
    "                                    ",              // 349
    "                                    ",              // 350
    "                                    ",              // 351
    "                                    ",              // 352
    "                TWO                 ",              // 353
    "                                    ",              // 354
    "                                    ",              // 355
    "                                    ",              // 356
    "                                    ",              // 357
    "                                    ",              // 358
    "                                    ",              // 359
    "                                    ",              // 360
    "                                    ",              // 361
    "                                    ",              // 362
    "                                    ",              // 363
    "                                    ",              // 364
    "                                    ",              // 365
    "                                    ",              // 366
    "                                    ",              // 367
    "                                    ",              // 368
    "                                    ",              // 369
    "                                    ",              // 370
    "                                    ",              // 371
    "                                    ",              // 372
    "                                    ",              // 373
    "                                    ",              // 374
    "                ONE                 ",              // 375
    "                ...                 ",              // 376
    "                                    ",              // 377
    "                                    ",              // 378
    "                                    ",              // 379
    "                                    ",              // 380
    "                                    ",              // 381
    "                                    ",              // 382
    "                                    ",              // 383
    "                                    ",              // 384
    "                bye                 ",              // 385
    "                                    ",              // 386
    "                                    ",              // 387
    "                                    ",              // 388
    "                                    ",              // 389
};
