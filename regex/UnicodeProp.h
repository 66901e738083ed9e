// Unicode 6.1 character properties for the regular-expression engine:
// general category, script, block, simple case mapping, membership in a
// TUnicodeProperty, and the property-name list that \p{...} looks names up in.
// The data live in the generated UnicodeTables.cpp; the lookups are in
// UnicodeProp.cpp. Everything here is read-only and safe from any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace vantora {

// Every property a \p{...} can name. The name of a value without the prefix
// "up" is its \p{} name (upunKnown is "unKnown"; upLC is also "L&").
//   0..6     major general categories
//   7..37    general categories, alphabetical by two-letter code
//   38       no script (Unknown)
//   39..141  scripts, ordered by their four-letter ISO 15924 code
//   142..361 blocks, in code-point order
enum TUnicodeProperty : std::uint16_t {
  // 0..6: major general categories
  upC, upL, upM, upN, upP, upS, upZ,
  // 7..37: general categories
  upCc, upCf, upCn, upCo, upCs,
  upLC, upLl, upLm, upLo, upLt, upLu,
  upMc, upMe, upMn,
  upNd, upNl, upNo,
  upPc, upPd, upPe, upPf, upPi, upPo, upPs,
  upSc, upSk, upSm, upSo,
  upZl, upZp, upZs,
  // 38: code points of no script
  upunKnown,
  // 39..141: scripts
  upArabic,                                       // 39 Arab
  upImperialAramaic,                              // 40 Armi
  upArmenian,                                     // 41 Armn
  upAvestan,                                      // 42 Avst
  upBalinese,                                     // 43 Bali
  upBamum,                                        // 44 Bamu
  upBatak,                                        // 45 Batk
  upBengali,                                      // 46 Beng
  upBopomofo,                                     // 47 Bopo
  upBrahmi,                                       // 48 Brah
  upBraille,                                      // 49 Brai
  upBuginese,                                     // 50 Bugi
  upBuhid,                                        // 51 Buhd
  upChakma,                                       // 52 Cakm
  upCanadianAboriginal,                           // 53 Cans
  upCarian,                                       // 54 Cari
  upCham,                                         // 55 Cham
  upCherokee,                                     // 56 Cher
  upCoptic,                                       // 57 Copt
  upCypriot,                                      // 58 Cprt
  upCyrillic,                                     // 59 Cyrl
  upDevanagari,                                   // 60 Deva
  upDeseret,                                      // 61 Dsrt
  upEgyptianHieroglyphs,                          // 62 Egyp
  upEthiopic,                                     // 63 Ethi
  upGeorgian,                                     // 64 Geor
  upGlagolitic,                                   // 65 Glag
  upGothic,                                       // 66 Goth
  upGreek,                                        // 67 Grek
  upGujarati,                                     // 68 Gujr
  upGurmukhi,                                     // 69 Guru
  upHangul,                                       // 70 Hang
  upHan,                                          // 71 Hani
  upHanunoo,                                      // 72 Hano
  upHebrew,                                       // 73 Hebr
  upHiragana,                                     // 74 Hira
  upKatakanaOrHiragana,                           // 75 Hrkt
  upOldItalic,                                    // 76 Ital
  upJavanese,                                     // 77 Java
  upKayahLi,                                      // 78 Kali
  upKatakana,                                     // 79 Kana
  upKharoshthi,                                   // 80 Khar
  upKhmer,                                        // 81 Khmr
  upKannada,                                      // 82 Knda
  upKaithi,                                       // 83 Kthi
  upTaiTham,                                      // 84 Lana
  upLao,                                          // 85 Laoo
  upLatin,                                        // 86 Latn
  upLepcha,                                       // 87 Lepc
  upLimbu,                                        // 88 Limb
  upLinearB,                                      // 89 Linb
  upLisu,                                         // 90 Lisu
  upLycian,                                       // 91 Lyci
  upLydian,                                       // 92 Lydi
  upMandaic,                                      // 93 Mand
  upMeroiticCursive,                              // 94 Merc
  upMeroiticHieroglyphs,                          // 95 Mero
  upMalayalam,                                    // 96 Mlym
  upMongolian,                                    // 97 Mong
  upMeeteiMayek,                                  // 98 Mtei
  upMyanmar,                                      // 99 Mymr
  upNko,                                          // 100 Nkoo
  upOgham,                                        // 101 Ogam
  upOlChiki,                                      // 102 Olck
  upOldTurkic,                                    // 103 Orkh
  upOriya,                                        // 104 Orya
  upOsmanya,                                      // 105 Osma
  upPhagsPa,                                      // 106 Phag
  upInscriptionalPahlavi,                         // 107 Phli
  upPhoenician,                                   // 108 Phnx
  upMiao,                                         // 109 Plrd
  upInscriptionalParthian,                        // 110 Prti
  upRejang,                                       // 111 Rjng
  upRunic,                                        // 112 Runr
  upSamaritan,                                    // 113 Samr
  upOldSouthArabian,                              // 114 Sarb
  upSaurashtra,                                   // 115 Saur
  upShavian,                                      // 116 Shaw
  upSharada,                                      // 117 Shrd
  upSinhala,                                      // 118 Sinh
  upSoraSompeng,                                  // 119 Sora
  upSundanese,                                    // 120 Sund
  upSylotiNagri,                                  // 121 Sylo
  upSyriac,                                       // 122 Syrc
  upTagbanwa,                                     // 123 Tagb
  upTakri,                                        // 124 Takr
  upTaiLe,                                        // 125 Tale
  upNewTaiLue,                                    // 126 Talu
  upTamil,                                        // 127 Taml
  upTaiViet,                                      // 128 Tavt
  upTelugu,                                       // 129 Telu
  upTifinagh,                                     // 130 Tfng
  upTagalog,                                      // 131 Tglg
  upThaana,                                       // 132 Thaa
  upThai,                                         // 133 Thai
  upTibetan,                                      // 134 Tibt
  upUgaritic,                                     // 135 Ugar
  upVai,                                          // 136 Vaii
  upOldPersian,                                   // 137 Xpeo
  upCuneiform,                                    // 138 Xsux
  upYi,                                           // 139 Yiii
  upInherited,                                    // 140 Zinh
  upCommon,                                       // 141 Zyyy
  // 142..361: blocks (first..last code point)
  upInBasicLatin,                                 // 142 U+0000..U+007F
  upInLatin1Supplement,                           // 143 U+0080..U+00FF
  upInLatinExtendedA,                             // 144 U+0100..U+017F
  upInLatinExtendedB,                             // 145 U+0180..U+024F
  upInIPAExtensions,                              // 146 U+0250..U+02AF
  upInSpacingModifierLetters,                     // 147 U+02B0..U+02FF
  upInCombiningDiacriticalMarks,                  // 148 U+0300..U+036F
  upInGreekandCoptic,                             // 149 U+0370..U+03FF
  upInCyrillic,                                   // 150 U+0400..U+04FF
  upInCyrillicSupplement,                         // 151 U+0500..U+052F
  upInArmenian,                                   // 152 U+0530..U+058F
  upInHebrew,                                     // 153 U+0590..U+05FF
  upInArabic,                                     // 154 U+0600..U+06FF
  upInSyriac,                                     // 155 U+0700..U+074F
  upInArabicSupplement,                           // 156 U+0750..U+077F
  upInThaana,                                     // 157 U+0780..U+07BF
  upInNKo,                                        // 158 U+07C0..U+07FF
  upInSamaritan,                                  // 159 U+0800..U+083F
  upInMandaic,                                    // 160 U+0840..U+085F
  upInArabicExtendedA,                            // 161 U+08A0..U+08FF
  upInDevanagari,                                 // 162 U+0900..U+097F
  upInBengali,                                    // 163 U+0980..U+09FF
  upInGurmukhi,                                   // 164 U+0A00..U+0A7F
  upInGujarati,                                   // 165 U+0A80..U+0AFF
  upInOriya,                                      // 166 U+0B00..U+0B7F
  upInTamil,                                      // 167 U+0B80..U+0BFF
  upInTelugu,                                     // 168 U+0C00..U+0C7F
  upInKannada,                                    // 169 U+0C80..U+0CFF
  upInMalayalam,                                  // 170 U+0D00..U+0D7F
  upInSinhala,                                    // 171 U+0D80..U+0DFF
  upInThai,                                       // 172 U+0E00..U+0E7F
  upInLao,                                        // 173 U+0E80..U+0EFF
  upInTibetan,                                    // 174 U+0F00..U+0FFF
  upInMyanmar,                                    // 175 U+1000..U+109F
  upInGeorgian,                                   // 176 U+10A0..U+10FF
  upInHangulJamo,                                 // 177 U+1100..U+11FF
  upInEthiopic,                                   // 178 U+1200..U+137F
  upInEthiopicSupplement,                         // 179 U+1380..U+139F
  upInCherokee,                                   // 180 U+13A0..U+13FF
  upInUnifiedCanadianAboriginalSyllabics,         // 181 U+1400..U+167F
  upInOgham,                                      // 182 U+1680..U+169F
  upInRunic,                                      // 183 U+16A0..U+16FF
  upInTagalog,                                    // 184 U+1700..U+171F
  upInHanunoo,                                    // 185 U+1720..U+173F
  upInBuhid,                                      // 186 U+1740..U+175F
  upInTagbanwa,                                   // 187 U+1760..U+177F
  upInKhmer,                                      // 188 U+1780..U+17FF
  upInMongolian,                                  // 189 U+1800..U+18AF
  upInUnifiedCanadianAboriginalSyllabicsExtended, // 190 U+18B0..U+18FF
  upInLimbu,                                      // 191 U+1900..U+194F
  upInTaiLe,                                      // 192 U+1950..U+197F
  upInNewTaiLue,                                  // 193 U+1980..U+19DF
  upInKhmerSymbols,                               // 194 U+19E0..U+19FF
  upInBuginese,                                   // 195 U+1A00..U+1A1F
  upInTaiTham,                                    // 196 U+1A20..U+1AAF
  upInBalinese,                                   // 197 U+1B00..U+1B7F
  upInSundanese,                                  // 198 U+1B80..U+1BBF
  upInBatak,                                      // 199 U+1BC0..U+1BFF
  upInLepcha,                                     // 200 U+1C00..U+1C4F
  upInOlChiki,                                    // 201 U+1C50..U+1C7F
  upInSundaneseSupplement,                        // 202 U+1CC0..U+1CCF
  upInVedicExtensions,                            // 203 U+1CD0..U+1CFF
  upInPhoneticExtensions,                         // 204 U+1D00..U+1D7F
  upInPhoneticExtensionsSupplement,               // 205 U+1D80..U+1DBF
  upInCombiningDiacriticalMarksSupplement,        // 206 U+1DC0..U+1DFF
  upInLatinExtendedAdditional,                    // 207 U+1E00..U+1EFF
  upInGreekExtended,                              // 208 U+1F00..U+1FFF
  upInGeneralPunctuation,                         // 209 U+2000..U+206F
  upInSuperscriptsandSubscripts,                  // 210 U+2070..U+209F
  upInCurrencySymbols,                            // 211 U+20A0..U+20CF
  upInCombiningDiacriticalMarksforSymbols,        // 212 U+20D0..U+20FF
  upInLetterlikeSymbols,                          // 213 U+2100..U+214F
  upInNumberForms,                                // 214 U+2150..U+218F
  upInArrows,                                     // 215 U+2190..U+21FF
  upInMathematicalOperators,                      // 216 U+2200..U+22FF
  upInMiscellaneousTechnical,                     // 217 U+2300..U+23FF
  upInControlPictures,                            // 218 U+2400..U+243F
  upInOpticalCharacterRecognition,                // 219 U+2440..U+245F
  upInEnclosedAlphanumerics,                      // 220 U+2460..U+24FF
  upInBoxDrawing,                                 // 221 U+2500..U+257F
  upInBlockElements,                              // 222 U+2580..U+259F
  upInGeometricShapes,                            // 223 U+25A0..U+25FF
  upInMiscellaneousSymbols,                       // 224 U+2600..U+26FF
  upInDingbats,                                   // 225 U+2700..U+27BF
  upInMiscellaneousMathematicalSymbolsA,          // 226 U+27C0..U+27EF
  upInSupplementalArrowsA,                        // 227 U+27F0..U+27FF
  upInBraillePatterns,                            // 228 U+2800..U+28FF
  upInSupplementalArrowsB,                        // 229 U+2900..U+297F
  upInMiscellaneousMathematicalSymbolsB,          // 230 U+2980..U+29FF
  upInSupplementalMathematicalOperators,          // 231 U+2A00..U+2AFF
  upInMiscellaneousSymbolsandArrows,              // 232 U+2B00..U+2BFF
  upInGlagolitic,                                 // 233 U+2C00..U+2C5F
  upInLatinExtendedC,                             // 234 U+2C60..U+2C7F
  upInCoptic,                                     // 235 U+2C80..U+2CFF
  upInGeorgianSupplement,                         // 236 U+2D00..U+2D2F
  upInTifinagh,                                   // 237 U+2D30..U+2D7F
  upInEthiopicExtended,                           // 238 U+2D80..U+2DDF
  upInCyrillicExtendedA,                          // 239 U+2DE0..U+2DFF
  upInSupplementalPunctuation,                    // 240 U+2E00..U+2E7F
  upInCJKRadicalsSupplement,                      // 241 U+2E80..U+2EFF
  upInKangxiRadicals,                             // 242 U+2F00..U+2FDF
  upInIdeographicDescriptionCharacters,           // 243 U+2FF0..U+2FFF
  upInCJKSymbolsandPunctuation,                   // 244 U+3000..U+303F
  upInHiragana,                                   // 245 U+3040..U+309F
  upInKatakana,                                   // 246 U+30A0..U+30FF
  upInBopomofo,                                   // 247 U+3100..U+312F
  upInHangulCompatibilityJamo,                    // 248 U+3130..U+318F
  upInKanbun,                                     // 249 U+3190..U+319F
  upInBopomofoExtended,                           // 250 U+31A0..U+31BF
  upInCJKStrokes,                                 // 251 U+31C0..U+31EF
  upInKatakanaPhoneticExtensions,                 // 252 U+31F0..U+31FF
  upInEnclosedCJKLettersandMonths,                // 253 U+3200..U+32FF
  upInCJKCompatibility,                           // 254 U+3300..U+33FF
  upInCJKUnifiedIdeographsExtensionA,             // 255 U+3400..U+4DBF
  upInYijingHexagramSymbols,                      // 256 U+4DC0..U+4DFF
  upInCJKUnifiedIdeographs,                       // 257 U+4E00..U+9FFF
  upInYiSyllables,                                // 258 U+A000..U+A48F
  upInYiRadicals,                                 // 259 U+A490..U+A4CF
  upInLisu,                                       // 260 U+A4D0..U+A4FF
  upInVai,                                        // 261 U+A500..U+A63F
  upInCyrillicExtendedB,                          // 262 U+A640..U+A69F
  upInBamum,                                      // 263 U+A6A0..U+A6FF
  upInModifierToneLetters,                        // 264 U+A700..U+A71F
  upInLatinExtendedD,                             // 265 U+A720..U+A7FF
  upInSylotiNagri,                                // 266 U+A800..U+A82F
  upInCommonIndicNumberForms,                     // 267 U+A830..U+A83F
  upInPhagsPa,                                    // 268 U+A840..U+A87F
  upInSaurashtra,                                 // 269 U+A880..U+A8DF
  upInDevanagariExtended,                         // 270 U+A8E0..U+A8FF
  upInKayahLi,                                    // 271 U+A900..U+A92F
  upInRejang,                                     // 272 U+A930..U+A95F
  upInHangulJamoExtendedA,                        // 273 U+A960..U+A97F
  upInJavanese,                                   // 274 U+A980..U+A9DF
  upInCham,                                       // 275 U+AA00..U+AA5F
  upInMyanmarExtendedA,                           // 276 U+AA60..U+AA7F
  upInTaiViet,                                    // 277 U+AA80..U+AADF
  upInMeeteiMayekExtensions,                      // 278 U+AAE0..U+AAFF
  upInEthiopicExtendedA,                          // 279 U+AB00..U+AB2F
  upInMeeteiMayek,                                // 280 U+ABC0..U+ABFF
  upInHangulSyllables,                            // 281 U+AC00..U+D7AF
  upInHangulJamoExtendedB,                        // 282 U+D7B0..U+D7FF
  upInHighSurrogates,                             // 283 U+D800..U+DB7F
  upInHighPrivateUseSurrogates,                   // 284 U+DB80..U+DBFF
  upInLowSurrogates,                              // 285 U+DC00..U+DFFF
  upInPrivateUseArea,                             // 286 U+E000..U+F8FF
  upInCJKCompatibilityIdeographs,                 // 287 U+F900..U+FAFF
  upInAlphabeticPresentationForms,                // 288 U+FB00..U+FB4F
  upInArabicPresentationFormsA,                   // 289 U+FB50..U+FDFF
  upInVariationSelectors,                         // 290 U+FE00..U+FE0F
  upInVerticalForms,                              // 291 U+FE10..U+FE1F
  upInCombiningHalfMarks,                         // 292 U+FE20..U+FE2F
  upInCJKCompatibilityForms,                      // 293 U+FE30..U+FE4F
  upInSmallFormVariants,                          // 294 U+FE50..U+FE6F
  upInArabicPresentationFormsB,                   // 295 U+FE70..U+FEFF
  upInHalfwidthandFullwidthForms,                 // 296 U+FF00..U+FFEF
  upInSpecials,                                   // 297 U+FFF0..U+FFFF
  upInLinearBSyllabary,                           // 298 U+10000..U+1007F
  upInLinearBIdeograms,                           // 299 U+10080..U+100FF
  upInAegeanNumbers,                              // 300 U+10100..U+1013F
  upInAncientGreekNumbers,                        // 301 U+10140..U+1018F
  upInAncientSymbols,                             // 302 U+10190..U+101CF
  upInPhaistosDisc,                               // 303 U+101D0..U+101FF
  upInLycian,                                     // 304 U+10280..U+1029F
  upInCarian,                                     // 305 U+102A0..U+102DF
  upInOldItalic,                                  // 306 U+10300..U+1032F
  upInGothic,                                     // 307 U+10330..U+1034F
  upInUgaritic,                                   // 308 U+10380..U+1039F
  upInOldPersian,                                 // 309 U+103A0..U+103DF
  upInDeseret,                                    // 310 U+10400..U+1044F
  upInShavian,                                    // 311 U+10450..U+1047F
  upInOsmanya,                                    // 312 U+10480..U+104AF
  upInCypriotSyllabary,                           // 313 U+10800..U+1083F
  upInImperialAramaic,                            // 314 U+10840..U+1085F
  upInPhoenician,                                 // 315 U+10900..U+1091F
  upInLydian,                                     // 316 U+10920..U+1093F
  upInMeroiticHieroglyphs,                        // 317 U+10980..U+1099F
  upInMeroiticCursive,                            // 318 U+109A0..U+109FF
  upInKharoshthi,                                 // 319 U+10A00..U+10A5F
  upInOldSouthArabian,                            // 320 U+10A60..U+10A7F
  upInAvestan,                                    // 321 U+10B00..U+10B3F
  upInInscriptionalParthian,                      // 322 U+10B40..U+10B5F
  upInInscriptionalPahlavi,                       // 323 U+10B60..U+10B7F
  upInOldTurkic,                                  // 324 U+10C00..U+10C4F
  upInRumiNumeralSymbols,                         // 325 U+10E60..U+10E7F
  upInBrahmi,                                     // 326 U+11000..U+1107F
  upInKaithi,                                     // 327 U+11080..U+110CF
  upInSoraSompeng,                                // 328 U+110D0..U+110FF
  upInChakma,                                     // 329 U+11100..U+1114F
  upInSharada,                                    // 330 U+11180..U+111DF
  upInTakri,                                      // 331 U+11680..U+116CF
  upInCuneiform,                                  // 332 U+12000..U+123FF
  upInCuneiformNumbersandPunctuation,             // 333 U+12400..U+1247F
  upInEgyptianHieroglyphs,                        // 334 U+13000..U+1342F
  upInBamumSupplement,                            // 335 U+16800..U+16A3F
  upInMiao,                                       // 336 U+16F00..U+16F9F
  upInKanaSupplement,                             // 337 U+1B000..U+1B0FF
  upInByzantineMusicalSymbols,                    // 338 U+1D000..U+1D0FF
  upInMusicalSymbols,                             // 339 U+1D100..U+1D1FF
  upInAncientGreekMusicalNotation,                // 340 U+1D200..U+1D24F
  upInTaiXuanJingSymbols,                         // 341 U+1D300..U+1D35F
  upInCountingRodNumerals,                        // 342 U+1D360..U+1D37F
  upInMathematicalAlphanumericSymbols,            // 343 U+1D400..U+1D7FF
  upInArabicMathematicalAlphabeticSymbols,        // 344 U+1EE00..U+1EEFF
  upInMahjongTiles,                               // 345 U+1F000..U+1F02F
  upInDominoTiles,                                // 346 U+1F030..U+1F09F
  upInPlayingCards,                               // 347 U+1F0A0..U+1F0FF
  upInEnclosedAlphanumericSupplement,             // 348 U+1F100..U+1F1FF
  upInEnclosedIdeographicSupplement,              // 349 U+1F200..U+1F2FF
  upInMiscellaneousSymbolsandPictographs,         // 350 U+1F300..U+1F5FF
  upInEmoticons,                                  // 351 U+1F600..U+1F64F
  upInTransportandMapSymbols,                     // 352 U+1F680..U+1F6FF
  upInAlchemicalSymbols,                          // 353 U+1F700..U+1F77F
  upInCJKUnifiedIdeographsExtensionB,             // 354 U+20000..U+2A6DF
  upInCJKUnifiedIdeographsExtensionC,             // 355 U+2A700..U+2B73F
  upInCJKUnifiedIdeographsExtensionD,             // 356 U+2B740..U+2B81F
  upInCJKCompatibilityIdeographsSupplement,       // 357 U+2F800..U+2FA1F
  upInTags,                                       // 358 U+E0000..U+E007F
  upInVariationSelectorsSupplement,               // 359 U+E0100..U+E01EF
  upInSupplementaryPrivateUseAreaA,               // 360 U+F0000..U+FFFFF
  upInSupplementaryPrivateUseAreaB,               // 361 U+100000..U+10FFFF
};

static_assert(upunKnown == 38 && upArabic == 39 && upCommon == 141);
static_assert(upInBasicLatin == 142 && upInSupplementaryPrivateUseAreaB == 361);

// Number of named values of TUnicodeProperty.
inline constexpr int UnicodePropertyCount = 362;
// First value of each group.
inline constexpr TUnicodeProperty upFirstCategory = upCc;
inline constexpr TUnicodeProperty upFirstScript = upArabic;
inline constexpr TUnicodeProperty upFirstBlock = upInBasicLatin;
inline constexpr int UnicodeScriptCount = 103;
inline constexpr int UnicodeBlockCount = 220;

// What GetUnicodeBlock answers for a code point that lies in no block (for
// example U+0860 or U+E0080). It is none of the named values and has no name,
// so \p{InBasicLatin} matches Basic Latin only.
inline constexpr TUnicodeProperty upNoBlock = static_cast<TUnicodeProperty>(UnicodePropertyCount);

// Highest code point.
inline constexpr std::uint32_t UnicodeMaxCodePoint = 0x10FFFF;

// One character type: the properties shared by many code points.
struct TUnicodeCharType {
  std::uint8_t Script;     // 0 = no script, else the script's TUnicodeProperty value - 38
  std::uint8_t Category;   // 0..30: the general category's TUnicodeProperty value - 7
  std::int32_t CaseDelta;  // code point minus its simple case mapping (Ll: to upper, Lu: to lower), else 0
};

// The character-type record of a code point (two table indexings, no search).
// A value above U+10FFFF answers like U+10FFFF: unassigned, no script.
const TUnicodeCharType& GetCharType(std::uint32_t cp);

// The general category (upCc..upZs).
TUnicodeProperty GetUnicodeCategory(std::uint32_t cp);

// The major general category (upC..upZ, i.e. 0 = C, 1 = L, ... 6 = Z).
TUnicodeProperty GetUnicodeGeneralCategory(std::uint32_t cp);

// The script (upunKnown or upArabic..upCommon).
TUnicodeProperty GetUnicodeScript(std::uint32_t cp);

// Simple one-to-one case mappings: a lower-case letter (Ll) maps to its upper
// case, an upper-case letter (Lu) to its lower case; every other code point,
// titlecase letters included, maps to itself.
std::uint32_t GetUnicodeUpperCase(std::uint32_t cp);
std::uint32_t GetUnicodeLowerCase(std::uint32_t cp);

// The block (upInBasicLatin..upInSupplementaryPrivateUseAreaB), or upNoBlock
// for a code point in no block or above U+10FFFF.
TUnicodeProperty GetUnicodeBlock(std::uint32_t cp);

// Whether the code point has the property: a block, a script (upunKnown
// included), a major category, upLC (Ll, Lt or Lu) or a general category.
// A value outside 0..361 is never had.
bool IsUnicodeProperty(std::uint32_t cp, TUnicodeProperty prop);

// One entry of the property-name list.
struct TUnicodePropertyName {
  std::string_view Name;  // e.g. "Lu", "L&", "Hiragana", "InHiragana"
  TUnicodeProperty Value;
};

// The property-name list: every value's name without "up" plus "L&" for
// upLC (363 entries), sorted by name without regard to ASCII case. Built once
// on first use, thread-safely; the entries live for the whole program.
std::span<const TUnicodePropertyName> PropertyNames();

// Looks a name up in the list, comparing ASCII letters without regard to case
// ("hiragana" finds upHiragana, "l&" finds upLC). Only exact names are found:
// the caller removes the separators it ignores ('-', '_', spaces) first.
std::optional<TUnicodeProperty> FindUnicodeProperty(std::string_view name);

// The name of a value without "up" ("Lu", "Hiragana", "InHiragana";
// "LC" for upLC); empty for upNoBlock and other values outside 0..361.
std::string_view UnicodePropertyName(TUnicodeProperty prop);

}  // namespace vantora
