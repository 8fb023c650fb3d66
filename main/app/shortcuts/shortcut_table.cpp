#include "app/shortcuts/shortcut_table.h"

#include "platform/system/environment.h"

#include <QStringView>

namespace {

struct SRowRange
{
    TShortCutSubType type;
    int first, last;
};

// The categories' rows, menus then tools, in enumeration order.
constexpr SRowRange kSubTypeRows[] = {
    {TShortCutSubType::sbFile, 1, 17},         {TShortCutSubType::sbEdit, 18, 31},
    {TShortCutSubType::sbImage, 32, 41},       {TShortCutSubType::sbLayer, 42, 71},
    {TShortCutSubType::sbSelect, 72, 88},      {TShortCutSubType::sbFilter, 89, 130},
    {TShortCutSubType::sbView, 131, 156},      {TShortCutSubType::sbWindow, 157, 174},
    {TShortCutSubType::sbHelp, 175, 177},      {TShortCutSubType::sbPencil, 178, 180},
    {TShortCutSubType::sbEraser, 181, 184},    {TShortCutSubType::sbWatorColor, 185, 187},
    {TShortCutSubType::sbAirBrush, 188, 190},  {TShortCutSubType::sbBlur, 191, 195},
    {TShortCutSubType::sbBurn, 196, 199},      {TShortCutSubType::sbFillRect, 200, 203},
    {TShortCutSubType::sbFill, 204, 205},      {TShortCutSubType::sbSelectRect, 206, 209},
    {TShortCutSubType::sbMagicWand, 210, 210}, {TShortCutSubType::sbMoveLayer, 211, 212},
    {TShortCutSubType::sbType, 213, 214},      {TShortCutSubType::sbCrop, 215, 215},
    {TShortCutSubType::sbSpuit, 216, 216},     {TShortCutSubType::sbHand, 217, 217},
    {TShortCutSubType::sbZoom, 218, 218},      {TShortCutSubType::sbExchange, 219, 219},
};
static_assert(std::size(kSubTypeRows) == kShortCutSubTypeCount - 1);

constexpr const char16_t *kMainTypeNames[] = {u"メニュー", u"ツール", u"その他", u""};

constexpr const char16_t *kSubTypeNames[kShortCutSubTypeCount] = {
    u"ファイル",
    u"編集",
    u"画像",
    u"レイヤ",
    u"選択範囲",
    u"フィルタ",
    u"表示",
    u"ウィンドウ",
    u"ヘルプ",
    u"鉛筆グループ",
    u"消しゴムグループ",
    u"透明水彩グループ",
    u"エアーブラシグループ",
    u"ぼかしグループ",
    u"焼き込みグループ",
    u"図形塗りつぶしグループ",
    u"塗りつぶしグループ",
    u"選択グループ",
    u"自動選択",
    u"レイヤ移動グループ",
    u"文字グループ",
    u"切り抜き",
    u"スポイト",
    u"手のひら",
    u"虫めがね",
    u"前景色・背景色の切り替え",
    u"",
};

} // namespace

const std::array<SShortCutSet, kShortCutRowCount> gShortCutCommands = {{
    {0, u""},                                        // 0
    {16, u"新規作成"},                               // 1
    {17, u"クリップボードから新規作成"},             // 2
    {18, u"開く"},                                   // 3
    {19, u"イベントを開く"},                         // 4
    {20, u"閉じる"},                                 // 5
    {21, u"上書き保存"},                             // 6
    {22, u"名前をつけて保存"},                       // 7
    {23, u"イベントを保存"},                         // 8
    {24, u"復帰"},                                   // 9
    {25, u"TWAIN32機器から入力"},                    // 10
    {26, u"レイヤを保存"},                           // 11
    {27, u"年月日番号でBMP保存"},                    // 12
    {28, u"用紙設定"},                               // 13
    {29, u"印刷プレビュー"},                         // 14
    {30, u"印刷"},                                   // 15
    {31, u"イベントをアップロード"},                 // 16
    {32, u"終了"},                                   // 17
    {48, u"元に戻す"},                               // 18
    {49, u"やり直し"},                               // 19
    {50, u"切り取り"},                               // 20
    {51, u"コピー"},                                 // 21
    {52, u"画像全体をコピー"},                       // 22
    {53, u"貼り付け"},                               // 23
    {54, u"塗りつぶし"},                             // 24
    {55, u"消去"},                                   // 25
    {56, u"輝度->透明度"},                           // 26
    {57, u"メモリを解放"},                           // 27
    {58, u"イベント記録の中止"},                     // 28
    {59, u"ショートカットキーの設定"},               // 29
    {60, u"プリセットファイルの編集"},               // 30
    {61, u"環境設定"},                               // 31
    {64, u"画像サイズ"},                             // 32
    {65, u"切り抜き"},                               // 33
    {66, u"画像解像度"},                             // 34
    {67, u"画像背景色"},                             // 35
    {68, u"左右反転"},                               // 36
    {69, u"上下反転"},                               // 37
    {70, u"90度回転(時計回り)"},                     // 38
    {71, u"90度回転(反時計回り)"},                   // 39
    {72, u"180度回転"},                              // 40
    {73, u"色調反転"},                               // 41
    {80, u"新規レイヤ"},                             // 42
    {81, u"レイヤを複製"},                           // 43
    {82, u"レイヤを削除"},                           // 44
    {83, u"選択部分を複製"},                         // 45
    {84, u"選択部分を分離"},                         // 46
    {85, u"下のレイヤでクリッピング"},               // 47
    {86, u"クリッピンググループの解除"},             // 48
    {87, u"クリッピンググループの結合"},             // 49
    {88, u"すべて透明化"},                           // 50
    {89, u"すべて不透明化"},                         // 51
    {90, u"透明部分を反転"},                         // 52
    {91, u"選択範囲で置き換え"},                     // 53
    {92, u"透明部分を保護"},                         // 54
    {93, u"下のレイヤと結合"},                       // 55
    {94, u"表示レイヤの結合"},                       // 56
    {95, u"表示レイヤと背景を統合"},                 // 57
    {96, u"左右反転"},                               // 58
    {97, u"上下反転"},                               // 59
    {98, u"90度回転(時計回り)"},                     // 60
    {99, u"90度回転(反時計回り)"},                   // 61
    {100, u"180度回転"},                             // 62
    {101, u"回転"},                                  // 63
    {102, u"拡大縮小"},                              // 64
    {103, u"自由変形"},                              // 65
    {104, u"選択レイヤ以外隠す"},                    // 66
    {105, u"すべて表示"},                            // 67
    {106, u"すべて隠す"},                            // 68
    {107, u"表示状態を反転"},                        // 69
    {108, u"表示範囲外を削除"},                      // 70
    {109, u"レイヤのプロパティ"},                    // 71
    {128, u"すべて選択"},                            // 72
    {129, u"選択を解除"},                            // 73
    {130, u"選択範囲を反転"},                        // 74
    {131, u"色域指定"},                              // 75
    {132, u"1ピクセル拡張"},                         // 76
    {133, u"1ピクセル縮小"},                         // 77
    {134, u"拡張"},                                  // 78
    {135, u"縮小"},                                  // 79
    {136, u"自由変形"},                              // 80
    {137, u"新規マスク"},                            // 81
    {138, u"レイヤの濃度から新規作成"},              // 82
    {139, u"レイヤのと透明部分から新規作成"},        // 83
    {140, u"マスクを複製"},                          // 84
    {141, u"マスクを削除"},                          // 85
    {142, u"選択範囲を使用"},                        // 86
    {143, u"表示範囲外を削除"},                      // 87
    {144, u"マスクのプロパティ"},                    // 88
    {160, u"フィルタの再実行"},                      // 89
    {161, u"レベル補正"},                            // 90
    {162, u"カラーバランス"},                        // 91
    {163, u"明るさ・コントラスト"},                  // 92
    {164, u"色相・彩度"},                            // 93
    {165, u"グレースケール"},                        // 94
    {166, u"色調反転"},                              // 95
    {167, u"ソラリゼーション"},                      // 96
    {168, u"モノクロ2階調"},                         // 97
    {169, u"ポスタリゼーション"},                    // 98
    {170, u"グラデーションマップ"},                  // 99
    {171, u"ぼかし"},                                // 100
    {172, u"ぼかし(強)"},                            // 101
    {173, u"ぼかし(移動)"},                          // 102
    {174, u"ぼかし(ズーム)"},                        // 103
    {175, u"ぼかし(ガウス)"},                        // 104
    {176, u"シャープ"},                              // 105
    {177, u"シャープ(強)"},                          // 106
    {178, u"シャープ(詳細)"},                        // 107
    {179, u"雲模様"},                                // 108
    {180, u"雲模様2"},                               // 109
    {181, u"雲模様・岩模様"},                        // 110
    {182, u"プラズマ"},                              // 111
    {183, u"タイル"},                                // 112
    {184, u"床"},                                    // 113
    {185, u"照明"},                                  // 114
    {186, u"渦巻き"},                                // 115
    {187, u"波"},                                    // 116
    {188, u"極座標"},                                // 117
    {189, u"左右反転"},                              // 118
    {190, u"上下反転"},                              // 119
    {191, u"180°回転"},                              // 120
    {192, u"回転"},                                  // 121
    {193, u"拡大縮小"},                              // 122
    {194, u"ノイズ"},                                // 123
    {195, u"拡散"},                                  // 124
    {196, u"モザイク"},                              // 125
    {197, u"明るさの中間値"},                        // 126
    {198, u"エンボス"},                              // 127
    {199, u"輪郭検出"},                              // 128
    {200, u"カラーハーフトーン"},                    // 129
    {201, u"カスタム"},                              // 130
    {208, u"拡大表示"},                              // 131
    {209, u"縮小表示"},                              // 132
    {210, u"等倍表示"},                              // 133
    {211, u"ウィンドウサイズに合わせる"},            // 134
    {212, u"ウィンドウサイズの調整"},                // 135
    {213, u"表示角度をリセット"},                    // 136
    {214, u"表示角90度(時計回り)"},                  // 137
    {215, u"表示角90度(反時計回り)"},                // 138
    {216, u"表示角180度"},                           // 139
    {217, u"左右反転表示"},                          // 140
    {218, u"画像背景色"},                            // 141
    {219, u"画像透明部分"},                          // 142
    {220, u"選択範囲の境界線"},                      // 143
    {221, u"グリッド表示"},                          // 144
    {222, u"アンチエイリアス表示"},                  // 145
    {223, u"スナップ"},                              // 146
    {224, u"スナップ先 - グリッド"},                 // 147
    {225, u"イベント再生の一時停止"},                // 148
    {226, u"ステップ再生"},                          // 149
    {227, u"再生速度 - ウェイトなし"},               // 150
    {228, u"再生速度 - 1"},                          // 151
    {229, u"再生速度 - 2"},                          // 152
    {230, u"再生速度 - 3"},                          // 153
    {231, u"再生速度 - 4"},                          // 154
    {232, u"再生速度 - 5"},                          // 155
    {237, u"イベント再生の中止"},                    // 156
    {256, u"ドキュメント - 重ねて表示"},             // 157
    {257, u"ドキュメント - 左右に並べて表示"},       // 158
    {258, u"ドキュメント - 上下に並べて表示"},       // 159
    {259, u"ドキュメント - アイコンの整列"},         // 160
    {260, u"ドキュメント - すべてを最小化"},         // 161
    {261, u"ツール"},                                // 162
    {262, u"オプション"},                            // 163
    {263, u"ナビゲーター"},                          // 164
    {264, u"情報"},                                  // 165
    {265, u"イベントログ"},                          // 166
    {266, u"カラー"},                                // 167
    {267, u"色見本"},                                // 168
    {268, u"ブラシリスト"},                          // 169
    {269, u"レイヤ"},                                // 170
    {270, u"マスク"},                                // 171
    {271, u"ルーペ"},                                // 172
    {272, u"ストロークオプション"},                  // 173
    {273, u"パレット位置を初期化"},                  // 174
    {288, u"Webヘルプ"},                             // 175
    {289, u""},                                      // 176
    {290, u"Kavrinについて"},                        // 177
    {512, u"鉛筆"},                                  // 178
    {513, u"鉛筆-4互換"},                            // 179
    {514, u"鉛筆-3互換"},                            // 180
    {528, u"消しゴム"},                              // 181
    {531, u"マジック消しゴム"},                      // 182
    {529, u"消しゴム-4互換"},                        // 183
    {530, u"消しゴム-3互換"},                        // 184
    {544, u"透明水彩"},                              // 185
    {545, u"透明水彩-4互換"},                        // 186
    {547, u"透明水彩-3互換"},                        // 187
    {560, u"エアーブラシ"},                          // 188
    {561, u"エアーブラシ-4互換"},                    // 189
    {562, u"エアーブラシ-3互換"},                    // 190
    {576, u"ぼかし"},                                // 191
    {592, u"指先"},                                  // 192
    {608, u"のばし"},                                // 193
    {577, u"ぼかし-3互換"},                          // 194
    {593, u"指先-3互換"},                            // 195
    {624, u"焼き込み"},                              // 196
    {640, u"覆い焼き"},                              // 197
    {625, u"焼き込み-3互換"},                        // 198
    {641, u"覆い焼き-3互換"},                        // 199
    {656, u"矩形塗りつぶし"},                        // 200
    {657, u"楕円塗りつぶし"},                        // 201
    {658, u"多角形塗りつぶし"},                      // 202
    {659, u"自由塗りつぶし"},                        // 203
    {672, u"塗りつぶし"},                            // 204
    {673, u"グラデーション"},                        // 205
    {688, u"矩形選択"},                              // 206
    {689, u"楕円選択"},                              // 207
    {690, u"多角形選択"},                            // 208
    {691, u"自由選択"},                              // 209
    {704, u"自動選択"},                              // 210
    {720, u"レイヤ移動"},                            // 211
    {721, u"レイヤ移動(選択範囲追随)"},              // 212
    {736, u"文字描画"},                              // 213
    {737, u"文字選択"},                              // 214
    {752, u"切り抜き"},                              // 215
    {768, u"スポイト"},                              // 216
    {784, u"手のひら"},                              // 217
    {800, u"虫めがね"},                              // 218
    {816, u"前景色・背景色の切り替え"},              // 219
    {1280, u"フィルタの再実行(設定ダイアログ表示)"}, // 220
    {1312, u"前のドキュメントを選択"},               // 221
    {1313, u"次のドキュメントを選択"},               // 222
    {1328, u"キャンバス表示の拡大"},                 // 223
    {1329, u"キャンバス表示の縮小"},                 // 224
    {1330, u"キャンバスを背景色で塗りつぶし"},       // 225
    {1344, u"ツール濃度 - 10%"},                     // 226
    {1345, u"ツール濃度 - 20%"},                     // 227
    {1346, u"ツール濃度 - 30%"},                     // 228
    {1347, u"ツール濃度 - 40%"},                     // 229
    {1348, u"ツール濃度 - 50%"},                     // 230
    {1349, u"ツール濃度 - 60%"},                     // 231
    {1350, u"ツール濃度 - 70%"},                     // 232
    {1351, u"ツール濃度 - 80%"},                     // 233
    {1352, u"ツール濃度 - 90%"},                     // 234
    {1353, u"ツール濃度 - 100%"},                    // 235
    {1354, u"一つ前のブラシを選択"},                 // 236
    {1355, u"一つ後のブラシを選択"},                 // 237
    {1356, u"ブラシ半径の拡大"},                     // 238
    {1357, u"ブラシ半径の縮小"},                     // 239
    {1360, u"アクティブレイヤを上へ移動"},           // 240
    {1361, u"アクティブレイヤを下へ移動"},           // 241
    {1362, u"一つ上のレイヤを選択"},                 // 242
    {1363, u"一つ下のレイヤを選択"},                 // 243
    {1364, u"新規レイヤを作成(ダイアログ非表示)"},   // 244
}};

const std::array<uint16_t, kToolDetailCount> gToolDetailCommands = {
    512, 513, 514, 528, 531, 529, 530, 544, 545, 547, 560, 561, 562, 576,
    592, 608, 577, 593, 624, 640, 625, 641, 656, 657, 658, 659, 672, 673,
    688, 689, 690, 691, 704, 720, 721, 736, 737, 752, 768, 784, 784, 800,
};

const std::array<TShortCutSubType, kToolKindCount> gToolKindSubTypes = {
    TShortCutSubType::sbPencil,    TShortCutSubType::sbEraser,    TShortCutSubType::sbWatorColor,
    TShortCutSubType::sbAirBrush,  TShortCutSubType::sbBlur,      TShortCutSubType::sbBurn,
    TShortCutSubType::sbFillRect,  TShortCutSubType::sbFill,      TShortCutSubType::sbSelectRect,
    TShortCutSubType::sbMagicWand, TShortCutSubType::sbMoveLayer, TShortCutSubType::sbType,
    TShortCutSubType::sbCrop,      TShortCutSubType::sbSpuit,     TShortCutSubType::sbHand,
    TShortCutSubType::sbZoom,
};

QString shortCutMainTypeName(TShortCutMainType type)
{
    const auto i = size_t(type);
    return i < std::size(kMainTypeNames) ? QString::fromUtf16(kMainTypeNames[i]) : QString();
}

QString shortCutSubTypeName(TShortCutSubType type)
{
    const auto i = size_t(type);
    return i < std::size(kSubTypeNames) ? QString::fromUtf16(kSubTypeNames[i]) : QString();
}

QString shortCutCommandName(int row)
{
    if (row < 0 || row >= kShortCutRowCount)
        return QString();
    if (row == kHelpOnlineRow)
        return gAppTitle + QStringLiteral(" Online");
    return QString::fromUtf16(gShortCutCommands[size_t(row)].value);
}

TShortCutMainType shortCutMainTypeOfRow(int row)
{
    if (row >= 0 && row < kFirstToolRow)
        return TShortCutMainType::smMenu;
    if (row >= kFirstToolRow && row < kFirstEtcRow)
        return TShortCutMainType::smTool;
    if (row >= kFirstEtcRow && row <= kLastCommandRow)
        return TShortCutMainType::smEtc;
    return TShortCutMainType::smOther;
}

TShortCutSubType shortCutSubTypeOfRow(int row)
{
    for (const SRowRange &r : kSubTypeRows) {
        if (row >= r.first && row <= r.last)
            return r.type;
    }
    return TShortCutSubType::sbOther;
}

bool shortCutRowsOfSubType(TShortCutSubType type, int &first, int &last)
{
    for (const SRowRange &r : kSubTypeRows) {
        if (r.type == type) {
            first = r.first;
            last = r.last;
            return true;
        }
    }
    first = last = 0;
    return false;
}

int shortCutRowOfCommand(int command)
{
    for (int row = 1; row <= kLastCommandRow; ++row) {
        if (gShortCutCommands[size_t(row)].command == command)
            return row;
    }
    return -1;
}
