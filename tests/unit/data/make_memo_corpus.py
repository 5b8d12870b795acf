#!/usr/bin/env python3
"""Writes memo_corpus.txt: memo texts of the kind people type into a one-line memo.

The corpus is there to measure how the encoding of memo.txt is told, both ways: files
of these texts written as Shift-JIS must not read as UTF-8, and files written as UTF-8
must not read as Shift-JIS. So it is built from what people write, not from any rule:
names (many with level-2 kanji, as 莉子 or 颯太), shopping, dates and prices, symbols,
half-width katakana from receipts, romaji and accented Latin, a little Hangul and
Chinese, emoji, rare kanji, and text pasted from PDFs and web pages. The word lists
below are hand-written; templates put them together as memos.

Regenerate with Debian's python3 (standard library only); the seed is fixed, so every
run writes the same file:

    python3 tests/unit/data/make_memo_corpus.py

The file is UTF-8 without BOM, one text per line, LF line ends. A summary of what the
texts hold goes to stderr.
"""
import datetime
import pathlib
import random
import sys
import unicodedata

SEED = 20260401
OUT = pathlib.Path(__file__).with_name("memo_corpus.txt")


def has_level2_kanji(text):
    """A kanji of JIS X 0208 level 2: Shift-JIS 989F to EAA4."""
    for c in text:
        try:
            b = c.encode("cp932")
        except UnicodeEncodeError:
            continue
        if len(b) == 2 and 0x989F <= int.from_bytes(b, "big") <= 0xEAA4:
            return True
    return False


def weighted(r, words, level2_share):
    """A word, drawn from those with a level-2 kanji with the given chance. Level-2 kanji
    fill modern given names (莉, 颯, 翔, 澪) and everyday food (苺, 餃子, 丼), so memos hold
    them more often than their share of a word list suggests."""
    rare = [w for w in words if has_level2_kanji(w if isinstance(w, str) else w[0])]
    return r.choice(rare if r.random() < level2_share else words)


# --- names ------------------------------------------------------------------------

FAMILY = """
佐藤 鈴木 高橋 田中 伊藤 渡辺 山本 中村 小林 加藤 吉田 山田 佐々木 山口 松本 井上 木村 林 斎藤
清水 山崎 森 池田 橋本 阿部 石川 山下 中島 石井 小川 前田 岡田 長谷川 藤田 後藤 近藤 村上 遠藤
青木 坂本 斉藤 福田 太田 西村 藤井 金子 岡本 藤原 中野 三浦 原田 中川 松田 竹内 小野 田村 中山
和田 石田 森田 上田 原 柴田 酒井 工藤 横山 宮崎 宮本 内田 高木 安藤 島田 谷口 大野 高田 丸山
今井 河野 藤本 村田 武田 上野 杉山 増田 小山 平野 大塚 千葉 久保 松井 岩崎 野口 菅原 桜井 木下
野村 菊地 佐野 杉本 市川 新井 古川 水野 小島 東 大西 吉川 平田 五十嵐 北村 服部 土屋 荒木 辻
齋藤 齊藤 渡邊 渡邉 澤田 濱田 澁谷 檜山 栗栖 櫻井 廣瀬 嶋田 國分 鰐淵 蛭田 薮内 芹沢 榊原 柘植
鷲尾 鴨志田 蔦谷 籾山 嵯峨 薗田 黛 鬼塚 鮫島 樋口 栃木 蕪木 茅野 鷹野 鶴見 龍崎 惣田 澤井 瀧本
濱口 檜垣 滝澤 藤澤 黒澤 深澤 長谷部 曽我部 勅使河原 四月一日 小鳥遊 一二三 薬師寺 御手洗
"""

GIVEN_BOY = """
蓮 颯太 湊 陽翔 樹 悠真 大翔 蒼 律 朝陽 碧 湊斗 颯真 瑛太 琉生 朔 暖 陽向 翔太 翔 悠人 陸 奏太
蒼空 結翔 凪 侑 晴 大和 颯 瑛斗 琥珀 煌 絆 櫂 昴 彗 惺 洸太 滉平 脩 黎 昊 晄 暉 熙 晟 晨 凰雅
隼人 雅 匠 拓海 航 健太 大輔 翔平 涼介 亮 誠 浩二 隆 茂 勇 博之 和也 直樹 康介 慎吾 聡 諒 駿
颯斗 蓮斗 湊人 碧斗 琉偉 楓 凛 柊 一郎 太郎 次郎 清 勝 稔 昭 正雄 幸雄 弘 實 邦彦 榮一 敏行
俐久 洸 綸太郎 頌平 麒一 侑真 侑李 翔琉 煌大 煌士 瑛翔 暖人 朔也 颯汰 蒼翔 陽翔 絆斗
"""

GIVEN_GIRL = """
莉子 凛 陽葵 紬 葵 芽依 結愛 莉緒 澪 楓 茜 杏 梓 詩 雫 萌 柚 柚葉 絢子 絢香 碧 凪咲 咲良 結菜
心春 美桜 杏奈 莉乃 莉央 琴音 芽衣 彩葉 紗希 詩織 澪奈 萌香 楓花 朱莉 杏樹 美羽 陽菜 結衣 美咲
優奈 七海 真央 麻衣 沙織 恵 裕子 洋子 幸子 久美子 由美 恵美 智子 直美 明美 真由美 亜希子 舞
彩 綾 瑞希 瑠璃 琴 雛 苺花 菫 柚月 心愛 乃愛 寧々 紗良 葉月 茉莉 茉央 茉白 栞 栞奈 晏奈 綺羅
綺音 菫花 凛花 侑希 侑奈 蕾 楪 棗 遙 遙香 眞子 眞理子 和子 節子 美智子 恵子 京子 敏子 花子
澪央 莉愛 莉奈 莉穂 颯希 翔子 凛子 煌莉 彗花 昴 羚 眸 欅 紬希 雫月 暖菜 朔良 詩乃 梓沙 茜音
"""

# Given names written in kana, as many are.
GIVEN_KANA = "さくら ひなた ゆい あおい ひかり のぞみ めぐみ かおり はるか みゆき ゆうき りん つむぎ こはる ケン エマ リナ アンナ ジョージ マリア ハナ".split()

HONORIFIC_FAMILY = ["さん"] * 8 + ["様"] * 3 + ["先生"] * 2 + ["氏", "部長", "課長", "係長", "社長", "店長", "先輩", "さま", "さん家", "家"]
HONORIFIC_GIVEN = ["くん"] * 3 + ["ちゃん"] * 4 + ["さん"] * 2 + ["君", "先輩", "様"]
RELATIVES = """お母さん 母 父 お父さん 義母 義父 おばあちゃん おじいちゃん ばあば じいじ 兄 姉 弟 妹 叔母 叔父
伯母 伯父 姪 甥 姪っ子 甥っ子 嫁 旦那 夫 妻 息子 娘 孫 義姉 義兄 お義母さん""".split()

FAMILY = FAMILY.split()
GIVEN_BOY = GIVEN_BOY.split()
GIVEN_GIRL = GIVEN_GIRL.split()
GIVEN = GIVEN_BOY + GIVEN_GIRL


def given(r):
    return r.choice(GIVEN_KANA) if r.random() < 0.07 else weighted(r, GIVEN, 0.5)


def family(r):
    return weighted(r, FAMILY, 0.25)


def full_name(r):
    sep = r.choice(["", "", "", " ", "　"])
    return family(r) + sep + given(r)


def person(r):
    """A person as a memo names them."""
    k = r.random()
    if k < 0.38:
        return family(r) + r.choice(HONORIFIC_FAMILY)
    if k < 0.58:
        name = given(r)
        honorific = r.choice(["くん", "くん", "君", "さん"]) if name in GIVEN_BOY else r.choice(HONORIFIC_GIVEN)
        return name + honorific
    if k < 0.70:
        return given(r)
    if k < 0.80:
        return full_name(r) + r.choice(["", "さん", "様"])
    if k < 0.88:
        return family(r)
    return r.choice(RELATIVES)


# --- dates, times, prices -----------------------------------------------------------

WEEK = "月火水木金土日"
FULL_WIDTH = str.maketrans(
    {**{chr(c): chr(c + 0xFEE0) for c in range(0x21, 0x7F)}, " ": "　"})


def zen(text):
    """Full-width, as an IME left in full-width mode types it."""
    return text.translate(FULL_WIDTH)


def zen_digits(text):
    return "".join(chr(ord(c) + 0xFEE0) if c.isdigit() and c.isascii() else c for c in text)


def a_date(r):
    d = datetime.date(2026, 1, 1) + datetime.timedelta(days=r.randrange(540))
    y, m, day, w = d.year, d.month, d.day, WEEK[d.weekday()]
    reiwa = y - 2018
    forms = [
        f"{m}/{day}", f"{m}/{day}", f"{m}/{day}({w})", f"{m}/{day}({w})", f"{m}/{day}（{w}）",
        f"{m}月{day}日", f"{m}月{day}日", f"{m}月{day}日({w})", f"{m}月{day}日（{w}）",
        zen(f"{m}月{day}日"), zen(f"{m}/{day}"), f"{m:02}/{day:02}", f"{y}/{m}/{day}",
        f"{y}/{m:02}/{day:02}", f"{y}-{m:02}-{day:02}", f"{y}年{m}月{day}日", zen(f"{y}年{m}月{day}日"),
        f"令和{reiwa}年{m}月{day}日", f"R{reiwa}.{m}.{day}", f"{m}.{day}", f"{m}/{day}{w}",
        f"{m}月{day}日（{w}曜日）", f"{m}/{day}〜", f"{m}/{day}まで", f"{m}月{day}日〆",
        f"{m}/{day}-{m}/{min(day + 2, 28)}", f"{m}/{day}～{min(day + 3, 28)}", zen(f"{y}年{m}月"),
        f"{y}年{m}月", f"令和{zen_digits(str(reiwa))}年{zen_digits(str(m))}月",
    ]
    return r.choice(forms)


def a_day(r):
    """A day as people say it rather than write it."""
    w = r.choice(WEEK)
    n = r.randint(1, 4)
    forms = [
        "明日", "あした", "明後日", "今日", "今日中", "今週中", "来週", f"来週{w}曜", f"来週の{w}曜",
        f"今度の{w}曜", f"{w}曜", f"{w}曜日", f"毎週{w}曜", f"毎週{w}", f"第{n}{w}曜", f"第{zen(str(n))}{w}曜日",
        "週末", "月末", "月初め", f"毎月{r.randint(1, 28)}日", "連休明け", "年内", "年明け", f"{r.randint(1, 12)}月末",
        f"{r.randint(1, 12)}月中", "来月", "GW", "お盆", "年末", "朝イチ", "夕方", "今夜", "明日の朝", "昼休み",
    ]
    return r.choice(forms)


def a_time(r):
    h = r.randint(7, 21)
    mi = r.choice([0, 0, 0, 0, 0, 15, 30, 30, 30, 45, 10, 20, 40, 50, 5])
    h2, mi2 = (h + r.choice([0, 1, 1, 2])) % 24, r.choice([0, 30, 0, 15, 45])
    if (h2, mi2) <= (h, mi):
        h2 = h + 1
    dash = r.choice(["〜", "〜", "～", "～", "-", "~", "ー", "－", "―"])
    half = h - 12 if h > 12 else h
    forms = [
        f"{h}:{mi:02}", f"{h}:{mi:02}", f"{h}:{mi:02}", f"{h:02}:{mi:02}", zen(f"{h}:{mi:02}"),
        f"{h}時" if mi == 0 else f"{h}時{mi}分", f"{h}時半", f"{h}時〜", f"{h}時頃",
        f"午前{half}時" if h < 12 else f"午後{half}時", f"{'午前' if h < 12 else '午後'}{half}:{mi:02}",
        f"{h}:{mi:02}{dash}{h2}:{mi2:02}", f"{h}:{mi:02}{dash}{h2}:{mi2:02}", f"{h}時{dash}{h2}時",
        zen(f"{h}:{mi:02}") + "〜" + zen(f"{h2}:{mi2:02}"), f"{h}:{mi:02}〜", f"{h}:{mi:02}集合",
        f"{half}{'am' if h < 12 else 'pm'}", f"{h}h", f"{h}:{mi:02}発", f"{h}:{mi:02}着",
    ]
    return r.choice(forms)


def when(r):
    k = r.random()
    if k < 0.35:
        return a_date(r)
    if k < 0.55:
        return a_time(r)
    if k < 0.75:
        return a_date(r) + r.choice([" ", "", "　"]) + a_time(r)
    return a_day(r) + r.choice([" ", "", ""]) + (a_time(r) if r.random() < 0.4 else "")


def an_amount(r):
    k = r.random()
    if k < 0.5:
        return r.choice([98, 100, 128, 150, 158, 180, 198, 200, 238, 248, 280, 298, 300, 350, 398, 480,
                         498, 500, 550, 580, 598, 680, 780, 880, 980, 1000, 1080, 1280, 1480, 1500, 1980])
    if k < 0.85:
        return r.randrange(1, 300) * 10
    return r.randrange(1000, 60000, 100)


def small_amount(r):
    """What one item on a receipt costs."""
    return r.choice([r.randrange(5, 60) * 10, r.randrange(1, 30) * 10 - 2, r.randrange(1, 10) * 100 - 2])


def a_price(r, v=None):
    v = an_amount(r) if v is None else v
    forms = [
        f"¥{v:,}", f"¥{v:,}", f"￥{v:,}", f"￥{v:,}", f"{v}円", f"{v}円", f"{v:,}円", f"{v:,}円",
        f"\\{v:,}", f"¥{v:,}-", f"￥{v:,}-", f"{zen(str(v))}円", f"税込{v:,}円", f"{v:,}円(税込)",
        f"{v}円+税", f"{v:,}円（税抜）", f"@{v}", f"{v}yen", f"¥{v}", f"￥{zen(f'{v:,}')}",
    ]
    return r.choice(forms)


def a_phone(r):
    d = lambda n: "".join(str(r.randrange(10)) for _ in range(n))
    forms = [
        f"090-{d(4)}-{d(4)}", f"080-{d(4)}-{d(4)}", f"070-{d(4)}-{d(4)}", f"03-{d(4)}-{d(4)}",
        f"06-{d(4)}-{d(4)}", f"0120-{d(3)}-{d(3)}", f"045-{d(3)}-{d(4)}", f"090{d(8)}",
        zen(f"090-{d(4)}-{d(4)}"), zen(f"03-{d(4)}-{d(4)}"), f"03（{d(4)}）{d(4)}", f"090‐{d(4)}‐{d(4)}",
    ]
    return r.choice(forms)


# --- food and shopping -----------------------------------------------------------------

# Each food with the counters it is bought in; {n} is a count.
FOODS = [
    ("牛乳", "{n}本|1L|{n}パック"), ("卵", "1パック|10個入り|{n}パック|6個"), ("豆腐", "{n}丁|絹|木綿 {n}丁"),
    ("納豆", "{n}パック|3個パック"), ("味噌", "1袋|750g|合わせ"), ("醤油", "1本|1L|薄口"),
    ("鶏肉", "300g|500g|{n}枚|もも {n}枚"), ("鶏むね肉", "{n}枚|2kg"), ("豚肉", "200g|こま切れ 300g|バラ"),
    ("牛肉", "300g|切り落とし"), ("挽肉", "300g|合挽き 400g"), ("胡瓜", "{n}本|3本入り"), ("韮", "1束|{n}束"),
    ("蒟蒻", "{n}枚|1袋"), ("蕎麦", "{n}束|乾麺 {n}袋"), ("饂飩", "{n}玉|冷凍 5食"), ("餃子", "{n}パック|皮 2袋"),
    ("苺", "{n}パック|1箱"), ("葡萄", "1房|{n}房"), ("檸檬", "{n}個|1袋"), ("林檎", "{n}個|1袋"),
    ("蜜柑", "1箱|1袋|{n}kg"), ("人参", "{n}本|1袋"), ("玉ねぎ", "{n}個|1袋|3kg"), ("大根", "1本|半分"),
    ("白菜", "1/4|半玉|1玉"), ("キャベツ", "1玉|半玉"), ("もやし", "{n}袋"), ("長ねぎ", "{n}本|1束"),
    ("生姜", "1袋|チューブ"), ("大蒜", "1個|チューブ"), ("茄子", "{n}本|3本"), ("南瓜", "1/4|半分"),
    ("牛蒡", "1本|ささがき 1袋"), ("蓮根", "1節|200g"), ("椎茸", "1パック"), ("舞茸", "{n}パック"),
    ("えのき", "{n}袋"), ("筍", "水煮 1袋|1本"), ("胡麻", "白 1袋|すり"), ("胡椒", "1本|粗挽き"),
    ("味醂", "1本|500ml"), ("酢", "1本"), ("砂糖", "1kg"), ("塩", "1袋"), ("鰹節", "1袋|小分け"),
    ("昆布", "1袋"), ("海苔", "全形 10枚|味付け"), ("若布", "1袋|乾燥"), ("鮭", "{n}切れ|甘塩 {n}切"),
    ("鯖", "{n}切れ|缶 {n}個"), ("鰤", "{n}切れ|アラ"), ("鯵", "{n}尾|開き"), ("秋刀魚", "{n}尾"),
    ("鱈", "{n}切れ"), ("鮪", "刺身 1パック|赤身"), ("烏賊", "1杯"), ("蛸", "茹で 1パック"), ("海老", "200g|むき"),
    ("浅蜊", "1パック|300g"), ("蜆", "1パック"), ("牡蠣", "1パック|加熱用"), ("食パン", "1斤|6枚切り|8枚切"),
    ("バター", "1箱|200g"), ("ヨーグルト", "{n}個|400g"), ("チーズ", "スライス|1袋"), ("ハム", "1パック"),
    ("ベーコン", "{n}パック"), ("ウインナー", "{n}袋"), ("米", "5kg|10kg|2kg"), ("麦茶", "1袋|パック"),
    ("緑茶", "1袋"), ("珈琲", "豆 200g|粉"), ("紅茶", "1箱|ティーバッグ"), ("蜂蜜", "1本"), ("苺ジャム", "1瓶"),
    ("梅干し", "1パック"), ("沢庵", "1本"), ("漬物", "1袋"), ("饅頭", "{n}個|1箱"), ("煎餅", "1袋"),
    ("羊羹", "1本|小 {n}本"), ("団子", "{n}本|1パック"), ("蒲鉾", "1本|紅白"), ("竹輪", "1袋|{n}本"),
    ("油揚げ", "{n}枚|1袋"), ("厚揚げ", "1パック"), ("白滝", "1袋"), ("春雨", "1袋"), ("素麺", "1袋|5束"),
    ("拉麺", "{n}袋|生麺"), ("餅", "1kg|切り餅"), ("桃", "{n}個"), ("梨", "{n}個"), ("柿", "{n}個"),
    ("枇杷", "1パック"), ("無花果", "1パック"), ("橙", "{n}個"), ("柚子", "{n}個"), ("麩", "1袋"),
    ("餡子", "1袋|こし"), ("糀", "1袋|生"), ("塩糀", "1本"), ("生麩", "1本"), ("薑", "1袋"), ("韭", "1束"),
    ("バナナ", "1房|{n}房"), ("トマト", "{n}個|ミニ 1パック"), ("レタス", "1玉"), ("ブロッコリー", "{n}個"),
    ("じゃがいも", "1袋|{n}個"), ("ほうれん草", "1束|{n}束"), ("小松菜", "1束"), ("豆苗", "1袋"),
    ("アボカド", "{n}個"), ("冷凍うどん", "1袋|5玉"), ("カレールー", "1箱|中辛"), ("マヨネーズ", "1本"),
    ("ケチャップ", "1本"), ("サラダ油", "1本"), ("オリーブオイル", "1本"), ("小麦粉", "1kg|薄力粉"),
    ("片栗粉", "1袋"), ("パン粉", "1袋"), ("だしの素", "1箱"), ("ポン酢", "1本"), ("めんつゆ", "1本|4倍"),
    ("ビール", "6缶|1ケース|{n}本"), ("日本酒", "一升|四合瓶"), ("焼酎", "1本"), ("ワイン", "赤 1本|白"),
    ("炭酸水", "1ケース|{n}本"), ("水", "2L×6|1ケース"), ("お茶", "2L {n}本"), ("ジュース", "{n}本"),
]

GOODS = [
    ("トイレットペーパー", "12ロール|ダブル"), ("ティッシュ", "5箱|{n}箱"), ("洗剤", "詰め替え|1本"),
    ("柔軟剤", "詰め替え"), ("歯磨き粉", "{n}本"), ("歯ブラシ", "{n}本|ふつう"), ("シャンプー", "詰め替え"),
    ("電池", "単3|単4 {n}本|単3×4"), ("ゴミ袋", "45L|70L|30L 1袋"), ("ラップ", "{n}本|30cm"),
    ("アルミホイル", "1本"), ("絆創膏", "1箱"), ("綿棒", "1箱"), ("電球", "LED 60W"), ("切手", "84円×10|{n}枚"),
    ("封筒", "長3|角2 {n}枚"), ("糊", "1本"), ("鋏", "1本"), ("画鋲", "1箱"), ("箒", "1本"), ("マスク", "1箱|50枚"),
    ("オムツ", "Lサイズ|M 1袋"), ("おしりふき", "{n}個"), ("猫砂", "1袋"), ("ドッグフード", "1袋"),
    ("キッチンペーパー", "{n}ロール"), ("食器用洗剤", "1本"), ("漂白剤", "1本"), ("殺虫剤", "1本"),
    ("靴下", "{n}足"), ("上履き", "19cm|20.5cm"), ("体操服", "130|140"), ("ノート", "{n}冊|B5"),
    ("鉛筆", "2B 1ダース"), ("消しゴム", "{n}個"), ("糸", "白"), ("蛍光ペン", "{n}本"), ("年賀はがき", "{n}枚|50枚"),
    ("灯油", "18L|2缶"), ("米袋", "1つ"), ("プリンタのインク", "黒|6色"), ("コピー用紙", "A4 1箱"),
]

DISHES = """肉じゃが 親子丼 牛丼 天丼 カツ丼 麻婆豆腐 餃子 焼売 炒飯 野菜炒め 酢豚 回鍋肉 青椒肉絲 筑前煮
鯖の味噌煮 鰤大根 鰤の照り焼き 筍ご飯 牡蠣フライ 浅蜊の味噌汁 蜆の味噌汁 茶碗蒸し 豚汁 けんちん汁 湯豆腐
おでん すき焼き しゃぶしゃぶ 寄せ鍋 キムチ鍋 唐揚げ 生姜焼き 南蛮漬け 金平牛蒡 ひじきの煮物 切り干し大根
胡麻和え お浸し 冷奴 餡掛け焼きそば 焼き饂飩 天ぷら蕎麦 ざる蕎麦 素麺 冷やし中華 カレー シチュー
ハンバーグ グラタン オムライス 鮭の塩焼き 秋刀魚の塩焼き 煮魚 お好み焼き たこ焼き 手巻き寿司 ちらし寿司
稲荷寿司 海老フライ 蒟蒻の炒め煮 韮玉 韮レバ炒め 胡瓜の浅漬け 麩の味噌汁 饅頭 苺大福 ぼた餅 雑煮""".split()

SHOPS = """スーパー コンビニ 八百屋 肉屋 魚屋 豆腐屋 酒屋 薬局 ドラッグストア ホームセンター 百均 100均
業務スーパー 生協 コープ 産直 道の駅 パン屋 ケーキ屋 和菓子屋 蕎麦屋 鰻屋 鮨屋 珈琲店 喫茶店 本屋
文房具屋 花屋 クリーニング屋 郵便局 銀行 ATM 市役所 区役所 図書館 公民館 駅前 商店街 デパ地下 直売所""".split()


def a_food(r):
    return weighted(r, FOODS, 0.35)[0]


def a_dish(r):
    return weighted(r, DISHES, 0.35)


def a_quantity(r, counters):
    form = r.choice(counters.split("|"))
    n = str(r.choice([1, 1, 2, 2, 2, 3, 3, 4, 5, 6]))
    if r.random() < 0.15:
        n = zen(n)
        form = zen_digits(form)
    return form.replace("{n}", n)


def shopping(r):
    name, counters = weighted(r, FOODS, 0.35) if r.random() < 0.8 else r.choice(GOODS)
    sp = r.choice([" ", " ", " ", "　", ""])
    n = r.randint(2, 6)
    k = r.randrange(24)
    if k < 5:
        return name + sp + a_quantity(r, counters)
    if k < 6:
        return name + r.choice(["×", "x", "X", "*", "✕"]) + str(n)
    if k < 8:
        return r.choice(["、", "・", " ", "　", ",", "/"]).join(dict.fromkeys(a_food(r) for _ in range(r.randint(2, 4))))
    if k < 9:
        return name + sp + a_price(r)
    if k < 10:
        return name + sp + a_quantity(r, counters) + " " + a_price(r)
    if k < 11:
        return r.choice(SHOPS) + r.choice(["で", "：", " ", "→", "で買う "]) + name
    if k < 12:
        return name + r.choice(["買う", "を買う", " 買っておく", "補充", "切れ", "なくなりそう", " 切れてる", "忘れずに",
                                 " 買い忘れ注意", "（特売）", " 安い", "×", "◎", " 特売日", "予約"])
    if k < 13:
        return r.choice(["買い物 ", "買い物：", "買うもの ", "かいもの ", "【買い物】"]) + "、".join(
            dict.fromkeys(a_food(r) for _ in range(r.randint(1, 3))))
    if k < 16:
        meal = r.choice(["夕飯 ", "今日の献立 ", "お弁当 ", "晩ご飯 ", "明日の朝 ", "作り置き ", "", "", "献立："])
        return meal + a_dish(r) + r.choice(["", "", "の材料", " 作る", "にする", "？", "?", " " + a_food(r) + "入れる"])
    if k < 17:
        return a_dish(r) + r.choice([" レシピ", "の作り方", " 美味しかった", " 大根おろし", "はまた今度", "○", "×"])
    if k < 18:
        return f"{name}{sp}{a_quantity(r, counters)}{sp or ' '}{r.choice(SHOPS)}"
    if k < 19:
        return f"{a_day(r)} {r.choice(SHOPS)} {name}"
    if k < 20:
        return f"{name} {r.choice(['賞味期限', '消費期限', '期限'])} {a_date(r)}"
    if k < 21:
        return f"{name}は{r.choice(SHOPS)}が安い"
    if k < 22:
        v = small_amount(r) + 100
        return f"{name} {a_price(r, v)}→{a_price(r, v - r.randrange(1, 5) * 20)}"
    if k < 23:
        return f"冷蔵庫 {name} {a_food(r)}"
    return name


# --- places ---------------------------------------------------------------------------

STATIONS = """渋谷 新宿 池袋 品川 東京 横浜 大宮 千葉 吉祥寺 三軒茶屋 中目黒 自由が丘 二子玉川 下北沢 高円寺
荻窪 阿佐ヶ谷 御茶ノ水 秋葉原 日暮里 巣鴨 駒込 鶯谷 蒲田 蕨 錦糸町 亀戸 押上 梅田 難波 天王寺 京橋
三宮 元町 河原町 祇園四条 嵐山 博多 天神 札幌 すすきの 仙台 名古屋 栄 金山 岐阜 鎌倉 逗子 藤沢 茅ヶ崎
町田 八王子 立川 国分寺 柏 船橋 浦和 越谷 所沢 川越 熊谷 宇都宮 水戸 高崎 甲府 松本 長野 新潟 富山
金沢 福井 静岡 浜松 豊橋 大津 奈良 和歌山 神戸 姫路 岡山 広島 徳島 高松 松山 高知 小倉 長崎 熊本
大分 鹿児島中央 那覇 鵠沼海岸 鴻巣 箕面 夙川 樟葉 狛江 茗荷谷 鷺ノ宮 雑司が谷 祐天寺 等々力 溝の口
綱島 菊名 鶴見 蓼科 匝瑳 鯖江 雫石 佃 月島 蔵前 湯島 谷中 根津 榴ヶ岡 薊野 嬬恋 邑楽 檜原 栗橋""".split()

SPOTS = """ホテル 旅館 温泉 公園 動物園 水族館 美術館 博物館 映画館 体育館 市民プール 区民センター
市民病院 大学病院 保育園 幼稚園 小学校 中学校 学童 塾 スタジアム ドーム アリーナ 神社 お寺 霊園
ショッピングモール アウトレット 空港 バスターミナル フェリー乗り場 道の駅""".split()

EXITS = ["東口", "西口", "南口", "北口", "中央口", "改札", "改札前", "A2出口", "8番出口", "ハチ公口", "みどりの窓口前", "3番線"]

CITIES = [
    ("150-0001", "東京都渋谷区神宮前"), ("154-0015", "東京都世田谷区桜新町"), ("166-0001", "東京都杉並区阿佐谷北"),
    ("223-0061", "横浜市港北区日吉"), ("211-0025", "川崎市中原区木月"), ("330-0064", "さいたま市浦和区岸町"),
    ("261-0011", "千葉市美浜区真砂"), ("530-0001", "大阪市北区梅田"), ("606-0801", "京都市左京区下鴨宮河町"),
    ("657-0051", "神戸市灘区八幡町"), ("464-0841", "名古屋市千種区覚王山通"), ("060-0042", "札幌市中央区大通西"),
    ("812-0012", "福岡市博多区博多駅中央街"), ("980-0811", "仙台市青葉区一番町"), ("730-0031", "広島市中区紙屋町"),
    ("251-0037", "藤沢市鵠沼海岸"), ("365-0038", "鴻巣市本町"), ("562-0001", "箕面市箕面"), ("662-0051", "西宮市羽衣町"),
    ("201-0003", "狛江市和泉本町"), ("112-0006", "東京都文京区小日向"), ("113-0034", "東京都文京区湯島"),
    ("104-0051", "東京都中央区佃"), ("289-2144", "匝瑳市八日市場イ"), ("916-0022", "鯖江市水落町"),
    ("183-0023", "府中市宮町"), ("983-0045", "仙台市宮城野区宮城野"), ("377-1524", "群馬県吾妻郡嬬恋村"),
    ("573-1118", "枚方市楠葉並木"), ("102-0083", "東京都千代田区麹町"), ("606-8396", "京都市左京区川端通"),
    ("920-0981", "金沢市片町"), ("900-0014", "那覇市松尾"), ("870-0035", "大分市中央町"), ("780-0870", "高知市本町"),
]
BUILDINGS = """メゾン サンハイツ コーポ グランメゾン パークハウス レジデンス ヴィラ シャトー ハイム
ロイヤル コート フォレスト エクセル カーサ 檜 櫻 楓 榮 澪""".split()


def address(r):
    zipc, place = r.choice(CITIES)
    num = f"{r.randint(1, 6)}-{r.randint(1, 30)}-{r.randint(1, 20)}"
    k = r.random()
    if k < 0.25:
        num = zen(num)
    elif k < 0.4:
        num = f"{r.randint(1, 6)}丁目{r.randint(1, 30)}番{r.randint(1, 20)}号"
    z = zen(zipc) if r.random() < 0.2 else zipc
    text = place + num
    if r.random() < 0.45:
        room = r.choice([f"{r.randint(1, 9)}0{r.randint(1, 8)}", f"{r.randint(1, 9)}0{r.randint(1, 8)}号室",
                         f"{r.randint(2, 9)}F"])
        text += r.choice([" ", "　", ""]) + r.choice(BUILDINGS) + r.choice(["", "", "鵠沼", "櫻台", "第2", "II", "Ⅱ"])
        text += r.choice([" ", ""]) + room
    forms = [f"〒{z} {text}", f"〒{z}　{text}", f"〒{z}{text}", text, f"{z} {text}", f"住所 {text}",
             f"{person(r)} {text}", f"〒{z}", f"郵便番号 {z}", f"{text} {person(r)}宛"]
    return r.choice(forms)


def place(r):
    st = r.choice(STATIONS)
    k = r.randrange(20)
    if k < 2:
        return address(r)
    if k < 4:
        return f"{st}駅 {a_time(r)}"
    if k < 6:
        return f"{st}駅{r.choice(EXITS)}" + r.choice(["", " " + a_time(r), "集合", "で待ち合わせ"])
    if k < 7:
        return f"{st}で待ち合わせ"
    if k < 8:
        return f"{st}→{r.choice(STATIONS)}" + r.choice(["", " " + a_price(r), " " + a_time(r) + "発", " 乗換"])
    if k < 9:
        return f"{st}行き {a_time(r)}"
    if k < 10:
        return f"{st}から{r.choice(STATIONS)}まで"
    if k < 11:
        return f"{st} {r.choice(SPOTS)}"
    if k < 12:
        return f"{st}{r.choice(SPOTS)}" + r.choice(["", " 予約", " 予約済", "　" + a_date(r)])
    if k < 13:
        return f"{st}の{r.choice(SHOPS)}"
    if k < 14:
        return f"{r.choice(['新幹線', '特急', 'のぞみ', '高速バス', '夜行バス', '飛行機'])} {st}" + r.choice(
            ["", " " + a_time(r), f" {r.randint(1, 16)}号車{r.randint(1, 20)}{r.choice('ABCDE')}"])
    if k < 15:
        return f"{a_date(r)} {st}"
    if k < 16:
        return f"{st}{r.choice(['旅行', '出張', '帰省', '日帰り', '温泉', '観光'])}" + r.choice(["", " " + a_date(r)])
    if k < 17:
        return f"{r.randint(1, 12)}番線"
    if k < 18:
        return f"駐車場 {r.choice('ABCDEFG')}-{r.randint(1, 60)}"
    if k < 19:
        return f"{st}{r.choice(['店', '支店', '営業所', '本店'])}"
    return st


# --- appointments, chores ---------------------------------------------------------------

BOOKABLE = "歯医者 眼科 皮膚科 美容院 美容室 整体 ネイル 人間ドック 健康診断 予防接種 車検 会食 内覧 ワクチン 胃カメラ 鍼灸".split()
EVENTS = """歯医者 眼科 皮膚科 内科 耳鼻科 整形外科 小児科 美容院 会議 打ち合わせ 面談 三者面談 保護者会
授業参観 運動会 遠足 発表会 ピアノ スイミング 英会話 習字 塾 歯科検診 健康診断 人間ドック 予防接種
車検 ガス点検 再配達 粗大ゴミ 資源ゴミ 燃えるゴミ 町内会 同窓会 飲み会 忘年会 新年会 歓迎会 送別会
結婚式 法事 四十九日 一周忌 お通夜 告別式 墓参り 初詣 花見 七五三 入学式 卒業式 始業式 終業式 誕生日会
病院 銀行 役所 免許更新 パスポート受取 確定申告 振込 引き落とし 家賃 電気代 水道代 保険料 定期券更新
来客 会食 出張 研修 締め切り 入稿 納品 棚卸し 面接 説明会 内覧 引っ越し 立ち会い 工事 美容室 ネイル
整体 鍼灸 接骨院 歯石取り 矯正 採血 胃カメラ ワクチン お迎え 送迎 学童 ゴミ出し 点検 検針 リハビリ
透析 デイサービス 訪問看護 ヘルパー 薬受け取り 処方箋 調剤 整骨院 鍼 マッサージ 稽古 茶道 華道 書道
囲碁 将棋 太極拳 ヨガ ジム 部活 朝練 試合 合宿 模試 期末テスト 中間テスト 検定 英検 漢検 面会""".split()

TASKS = """ゴミ出し 洗濯 布団干す 掃除機かける 換気扇掃除 エアコン掃除 フィルター交換 電球交換 年賀状 暑中見舞い
お中元 お歳暮 回覧板回す 書留受け取り 不在票 再配達依頼 印鑑持参 保険証 診察券 マイナンバーカード
住民票2通 印鑑証明 戸籍謄本 源泉徴収票 年末調整 医療費控除 ふるさと納税 タイヤ交換 オイル交換 灯油
水道検針 網戸修理 草むしり 雨戸 植木の水やり 金魚の餌 犬の散歩 猫の爪切り 狂犬病注射 トリミング
給食費 集金袋 連絡帳 上履き洗う 体操服 水筒 お弁当 雑巾2枚 名札 名前つける 宿題 音読カード 印鑑
提出物 願書 振込用紙 領収書 請求書 見積書 納品書 契約書 稟議 経費精算 日報 週報 議事録 資料印刷
会議室予約 シュレッダー 名刺発注 鍵返す 傘返す 本返す DVD返却 図書館返却 冷蔵庫掃除 排水口
カーテン洗う 衣替え 靴磨き スーツ クリーニング出す クリーニング取りに行く 写真現像 年賀状の住所録
喪中はがき 香典 御祝儀 お見舞い 内祝い 快気祝い 出産祝い 入学祝い お年玉 お土産 手土産 菓子折り""".split()

ACTIONS_WITH_PERSON = [
    "{p}に電話", "{p}に電話する", "{p}へ連絡", "{p}にLINE", "{p}にメール", "{p}に返信", "{p}から電話あり",
    "{p} 折り返し", "{p}にお礼状", "{p}へお中元", "{p}にお歳暮", "{p} 香典", "{p}の誕生日", "{p}の誕生日 {d}",
    "{p} 結婚祝い", "{p} 出産祝い", "{p}と{s}", "{p} {t} {s}", "{p}に本を返す", "{p}に傘返す", "{p}にお土産",
    "{p}お迎え {t}", "{p}のお弁当", "{p} 上履き", "{p} 体操服", "{p} 給食費", "{p}の塾 {t}", "{p}と食事 {d}",
    "{p} {d} 来訪", "{p}来社 {t}", "{p} {e}", "{p}の{e}", "{p} {e} {d}", "{d} {p} {e}", "{t} {p}",
    "{p}へ{x}", "{p}に{x}を渡す", "{p}から{x}", "{p} 見積もり", "{p}に確認", "{p}に聞く", "{p}に相談",
    "{p} 年賀状", "{p}に手紙", "{p}の住所", "{p} {ph}", "{ph} {p}", "TEL {p}", "{p}へ TEL", "{p}に折り返しTEL",
    "{p}の誕生日プレゼント", "{p} {n}歳", "{p}のお見舞い", "{p}にお礼", "{p} お返し", "{p}にお祝い {price}",
    "{p} {price} 立替", "{p}に{price}返す", "{p}から{price}借りた", "{p}・{p2}", "{p}、{p2}に連絡",
    "{p}と{p2} {d}", "{p}（{p2}の{rel}）", "{p}の{rel}", "{p}宛 {x}",
]


def with_person(r):
    template = r.choice(ACTIONS_WITH_PERSON)
    return template.format(
        p=person(r), p2=person(r), d=a_date(r) if r.random() < 0.7 else a_day(r), t=a_time(r),
        s=r.choice(STATIONS + SPOTS + SHOPS), e=r.choice(EVENTS), x=r.choice([f[0] for f in FOODS + GOODS] + TASKS),
        ph=a_phone(r), n=r.randint(1, 90), price=a_price(r), rel=r.choice(RELATIVES))


def name_alone(r):
    k = r.random()
    if k < 0.25:
        return given(r)
    if k < 0.45:
        return full_name(r)
    if k < 0.55:
        return family(r)
    if k < 0.72:
        return person(r)
    if k < 0.80:
        return f"{given(r)} {a_date(r)}生"
    if k < 0.86:
        return f"{full_name(r)}（{r.choice(['母', '義母', '同僚', '担任', 'ママ友', '大家さん', '上司', '主治医', '旧姓'])}）"
    if k < 0.92:
        return f"{family(r)}{r.choice(['さん', '様'])} {a_phone(r)}"
    return f"{given(r)}・{given(r)}" + r.choice(["", "・" + given(r)])


def appointment(r):
    e = r.choice(EVENTS)
    sp = r.choice([" ", " ", "　", ""])
    k = r.randrange(14)
    if k < 3:
        return f"{a_time(r)}{sp}{e}"
    if k < 6:
        return f"{a_date(r)}{sp}{e}"
    if k < 8:
        return f"{a_date(r)}{sp}{a_time(r)}{sp}{e}"
    if k < 9:
        return f"{e}{sp}{when(r)}"
    if k < 10:
        return f"{a_day(r)}{sp}{e}"
    if k < 11:
        return f"{e} {r.choice(['', '@', '＠'])}{r.choice(STATIONS)}{r.choice(['', '', '駅前', '店'])} {a_time(r)}"
    if k < 12:
        return f"{r.choice(BOOKABLE)}の予約" + r.choice(["", "する", " " + a_date(r), "　" + a_phone(r)])
    if k < 13:
        return f"{when(r)} {e} " + r.choice(["持ち物：" + r.choice(TASKS), "要予約", "済", "キャンセル", "変更", "延期"])
    return f"{e}" + r.choice(["", "！", "!!", "？", "（仮）", " 済", " 延期", " 中止"])


def chore(r):
    t = r.choice(TASKS)
    k = r.randrange(8)
    if k < 3:
        return t
    if k < 5:
        return f"{t} {when(r)}"
    if k < 6:
        return f"{when(r)} {t}"
    if k < 7:
        return f"{t}" + r.choice(["！", "!", "する", "しないと", "忘れない", "済", "まだ", "やる", "終わった", "（済）"])
    return f"{t}、{r.choice(TASKS)}"


# --- symbols --------------------------------------------------------------------------

def plain_memo(r):
    """A short memo of another kind, to hang a symbol or an emoji on."""
    return r.choice([shopping, appointment, chore, with_person, place, name_alone])(r)


def symbols(r):
    m = plain_memo(r)
    n = r.randint(1, 10)
    circled = "①②③④⑤⑥⑦⑧⑨⑩⑪⑫⑬⑭⑮⑯⑰⑱⑲⑳"
    forms = [
        f"※{m}", f"※要予約", f"※{m}（要確認）", f"★{m}", f"★重要 {m}", f"☆{m}", f"{m}★★★", f"◎{m}", f"○{m}",
        f"●{m}", f"△{m}", f"▲{m}", f"□{m}", f"■{m}",
        f"{person(r)}→{r.choice(['連絡済', '返信待ち', 'OK', '不在', '折り返し', '済', 'NG', '確認中'])}", f"{m} ⇒ 済", f"【至急】{m}",
        f"【重要】{m}", f"【{r.choice(['買い物', '仕事', '学校', '病院', '旅行', '家', '実家'])}】{m}", f"「{r.choice(NOTES + SONGS)}」",
        f"『{r.choice(BOOKS)}』" + r.choice(["返却", " 借りる", "読む", " 予約", " " + a_date(r) + "まで"]),
        f"{m}（{r.choice(['済', '未', '仮', '保留', '要確認', '午前中'])}）", f"{m}・{r.choice(TASKS)}", f"{m}…",
        f"～{a_date(r)}", f"〜{a_time(r)} {r.choice(EVENTS)}", f"{r.choice(EVENTS)}‐{r.choice(EVENTS)}",
        f"{r.choice(EVENTS)}―{m}", f"{r.randint(1, 9)}0％オフ", f"{r.randint(1, 9)}0%OFF {a_food(r)}", f"＠{r.choice(STATIONS)}",
        f"＃{r.choice(TASKS)}", f"{circled[n - 1]}{m}", f"{circled[n - 1]} {r.choice(TASKS)}",
        f"♪{r.choice(SONGS)}", f"{r.choice(SONGS)}♪", f"{m}♪", f"〒{r.choice(CITIES)[0]}", f"〆{a_date(r)}",
        f"{r.choice(TASKS)}〆", f"{r.choice(EVENTS)}〆切 {a_date(r)}", f"→{m}", f"⇒{m}", f"{m}（再）", f"{m} ×",
        f"{r.choice(circled[:5])}{r.choice(TASKS)} {r.choice(circled[5:10])}{r.choice(TASKS)}",
        f"≪{r.choice(EVENTS)}≫", f"〈{r.choice(TASKS)}〉", f"《{r.choice(BOOKS)}》", f"◇{m}", f"◆{m}", f"▽{m}", f"▼{m}",
        f"{r.choice(['気温', '体温'])} {r.randint(35, 39)}.{r.randint(0, 9)}℃", f"{r.randint(1, 30)}℃",
        f"{m}≠{r.choice(TASKS)}", f"体重 {r.randint(45, 90)}.{r.randint(0, 9)}kg→{r.randint(45, 90)}kg",
        f"血圧 {r.randint(100, 160)}/{r.randint(60, 100)}", f"§{r.randint(1, 12)} {r.choice(TASKS)}",
        f"※{r.choice(NOTES)}", f"〇{m}", f"{m} 〇", f"{m}々", f"仝上", f"ヶ月検診", f"{r.randint(1, 12)}ヶ月",
    ]
    return r.choice(forms)


BOOKS = """吾輩は猫である 坊っちゃん こころ 羅生門 雪国 人間失格 銀河鉄道の夜 ノルウェイの森 君たちはどう生きるか
ぐりとぐら はらぺこあおむし 三国志 源氏物語 枕草子 徒然草 檸檬 蜘蛛の糸 山月記 舞姫 細雪 金閣寺 斜陽
沈黙 火車 模倣犯 容疑者Xの献身 告白 かがみの孤城 蜜蜂と遠雷 旅猫リポート 星の王子さま 赤毛のアン""".split()

SONGS = """カラオケ 合唱 ピアノ発表会 ふるさと 故郷 紅葉 さくらさくら 花は咲く 翼をください 大きな古時計
きらきら星 上を向いて歩こう 川の流れのように 蛍の光 仰げば尊し 春よ来い 島唄 涙そうそう 練習曲 校歌""".split()

NOTES = """要予約 要確認 雨天中止 現金のみ 駐車場なし 予約不要 先着順 保険証持参 印鑑持参 上履き持参
飲食禁止 土日祝休み 完全予約制 要事前連絡 マスク着用 送迎あり 年中無休 水曜定休 当日券あり""".split()


# --- half-width katakana: receipts, bank statements, product names ------------------------------

HALF_ITEMS = """ｺｰﾋｰ ﾎｯﾄｺｰﾋｰ ｱｲｽｺｰﾋｰ ｶﾌｪﾗﾃ ﾊﾟﾝ ｼｮｸﾊﾟﾝ ｸﾛﾜｯｻﾝ ﾒﾛﾝﾊﾟﾝ ｷﾞｭｳﾆｭｳ ﾀﾏｺﾞ ﾄｳﾌ ﾅｯﾄｳ ﾊﾞﾅﾅ ﾖｰｸﾞﾙﾄ
ｵﾆｷﾞﾘ ｻﾝﾄﾞｲｯﾁ ﾍﾞﾝﾄｳ ｶﾗｱｹﾞ ｺﾛｯｹ ﾌﾟﾘﾝ ｼｭｰｸﾘｰﾑ ｱｲｽ ﾁｮｺ ｶﾞﾑ ﾃｨｯｼｭ ﾄｲﾚｯﾄﾍﾟｰﾊﾟｰ ｾﾝｻﾞｲ ｼｬﾝﾌﾟｰ
ﾃﾞﾝﾁ ﾏｽｸ ﾚｼﾞﾌﾞｸﾛ ｴｺﾊﾞｯｸﾞ ﾐﾈﾗﾙｳｫｰﾀｰ ｱﾙｶﾘｲｵﾝｽｲ ｵﾁｬ ﾑｷﾞﾁｬ ﾋﾞｰﾙ ﾊｲﾎﾞｰﾙ ﾁｭｰﾊｲ ｶｯﾌﾟﾒﾝ ﾚﾄﾙﾄｶﾚｰ
ｷｬﾍﾞﾂ ﾚﾀｽ ﾄﾏﾄ ｷｭｳﾘ ﾆﾝｼﾞﾝ ﾀﾏﾈｷﾞ ｼﾞｬｶﾞｲﾓ ﾄﾘﾓﾓ ﾌﾞﾀﾊﾞﾗ ｷﾞｭｳｺﾏ ｻｹ ｻﾊﾞ ｺﾒ ﾊﾟｽﾀ ｿｰｾｰｼﾞ""".split()

HALF_CLEANING = "ﾜｲｼｬﾂ ｽｰﾂ ｺｰﾄ ｽﾞﾎﾞﾝ ｽｶｰﾄ ｾｰﾀｰ ﾌﾞﾗｳｽ ﾈｸﾀｲ ﾀﾞｳﾝ ｶｰﾃﾝ ﾓｳﾌ ﾜﾝﾋﾟｰｽ".split()
HALF_FAMILY = "ｻﾄｳ ｽｽﾞｷ ﾀｶﾊｼ ﾀﾅｶ ｲﾄｳ ﾜﾀﾅﾍﾞ ﾔﾏﾓﾄ ﾅｶﾑﾗ ｺﾊﾞﾔｼ ｶﾄｳ ﾖｼﾀﾞ ﾔﾏﾀﾞ ｻｻｷ ﾏﾂﾓﾄ ｲﾉｳｴ ｷﾑﾗ ﾊﾔｼ".split()
HALF_GIVEN = "ﾀﾛｳ ﾊﾅｺ ﾕｳｷ ﾚﾝ ﾘｺ ﾐｻｷ ｹﾝﾀ ｿｳﾀ ﾐｵ ﾕｲ ｼｮｳﾀ ﾊﾙﾄ ｱｵｲ ﾂﾑｷﾞ ﾐﾂｺ ﾋﾛｼ ｶｽﾞｵ ﾘﾝ".split()
HALF_COMPANY = "ﾔﾏﾀﾞｼｮｳｼﾞ ﾀﾅｶｹﾝｾﾂ ｻｸﾗﾌﾄﾞｳｻﾝ ﾐﾄﾞﾘﾃﾞﾝｷ ｱｵｿﾞﾗｶﾝﾘ ﾋｶﾘｶﾞｽ ﾐﾅﾐｼｮｳｶｲ ｶﾅﾘｱｼｮﾎﾞｳ".split()
HALF_BANK = """ﾌﾘｺﾐ ﾃｽｳﾘｮｳ ﾃﾞﾝｷﾘｮｳｷﾝ ｽｲﾄﾞｳﾘｮｳｷﾝ ｶﾞｽﾘｮｳｷﾝ ｶｰﾄﾞ ﾘｿｸ ｷｭｳﾖ ｼｮｳﾖ ﾈﾝｷﾝ ﾎｹﾝﾘｮｳ ﾔﾁﾝ
ｺｸﾐﾝﾈﾝｷﾝ ｼﾞｭｳﾐﾝｾﾞｲ ｼﾞﾄﾞｳﾃｱﾃ ｺｳｻﾞﾌﾘｶｴ ATM ｹｲﾀｲﾘｮｳｷﾝ ﾂｳｼﾝﾋ ｼﾞｭｹﾝﾘｮｳ""".split()


def half_width(r):
    item = r.choice(HALF_ITEMS)
    v = small_amount(r)
    k = r.randrange(24)
    if k < 4:
        price = r.choice([str(v), f"¥{v:,}", f"￥{v}", "\\" + str(v), f"{v}円", f"{v}ｴﾝ"])
        return item + r.choice([" ", " ", "  ", ""]) + price
    if k < 6:
        return f"{item}({r.choice('SML')}) ¥{v}"
    if k < 7:
        return f"{item} {r.randint(1, 5)}ｺ ¥{v}"
    if k < 8:
        return f"{item}×{r.randint(2, 6)} {v}"
    if k < 9:
        return "ﾎﾟｲﾝﾄｶｰﾄﾞ " + r.choice([f"No.{r.randrange(10 ** 9, 10 ** 10)}",
                                      f"{r.randrange(1000, 9999)}-{r.randrange(1000, 9999)}",
                                      f"{r.randint(1, 999)}ﾎﾟｲﾝﾄ", "忘れた", "ﾀﾒﾙ", "2倍デー"])
    if k < 10:
        return "ｸﾘｰﾆﾝｸﾞ " + r.choice([f"{r.choice(HALF_CLEANING)}×{r.randint(1, 5)}",
                                   f"{r.choice(HALF_CLEANING)} {r.randint(1, 5)}ﾃﾝ ¥{v}", f"受取 {a_date(r)}",
                                   f"{r.choice(HALF_CLEANING)} ｼﾐﾇｷ", "ﾀｸﾞ No." + str(r.randrange(100, 999))])
    if k < 11:
        return r.choice(["ﾃｽﾄ", "ﾃｽﾄ用", "ﾃｽﾄ ﾃｽﾄ", "ﾃｽﾄ1", "ﾒﾓ", "ﾒﾓ ﾃｽﾄ", "ｱｲｳｴｵ", "ｶﾀｶﾅ", "ﾊﾝｶｸ", "ｵｹ"])
    if k < 13:
        payee = f"{r.choice(['ﾌﾘｺﾐ ', 'ﾌﾘｺﾐ　', 'ﾌﾘｺﾐ', 'ｿｳｷﾝ '])}{r.choice(HALF_FAMILY)} {r.choice(HALF_GIVEN)}"
        return payee + r.choice(["", f" {v:,}", f" ¥{v:,}"])
    if k < 14:
        company = r.choice(HALF_COMPANY)
        company = r.choice([f"ｶ){company}", f"ｶ）{company}", f"ﾕ){company}", f"{company}(ｶ", f"{company}(ﾕ"])
        return company + r.choice(["", f" {an_amount(r):,}", " 振込"])
    if k < 16:
        v = an_amount(r)
        return f"{r.choice(HALF_BANK)} " + r.choice([f"{v:,}", f"¥{v:,}", a_date(r), f"{a_date(r)} {v:,}円", "引落"])
    if k < 17:
        return f"ｺﾞｳｹｲ ¥{v:,}" + r.choice(["", f" ｵｱｽﾞｶﾘ ¥{((v // 1000) + 1) * 1000:,}", " ｹﾞﾝｷﾝ", " ｸﾚｼﾞｯﾄ"])
    if k < 18:
        return f"ｵﾂﾘ ¥{v}"
    if k < 19:
        return f"{item}{r.choice(['', ' '])}{r.choice(['買う', '安い', '切れ', '2個', '忘れずに', '特売'])}"
    if k < 20:
        return f"{r.choice(HALF_FAMILY)} {r.choice(HALF_GIVEN)}" + r.choice(["", " 様", "ｻﾏ"])
    if k < 21:
        brand = r.choice(['ｵｰｶﾞﾆｯｸ', 'ﾌﾟﾚﾐｱﾑ', 'ｾﾚｸﾄ', 'ﾄｸﾄｸ', 'ｼﾝ'])
        return f"{brand}{item} {r.choice(['500ml', '1L', '2L×6', '200g', '3ｺｲﾘ'])}"
    if k < 22:
        return f"ﾚｼｰﾄ {r.choice(['保管', '捨てない', 'ｱﾘ', '経費', '確定申告用'])}"
    if k < 23:
        return f"{r.choice(['ﾚｼﾞ', 'POS', 'TEL', 'ﾃﾝﾎﾟ'])}{r.choice(['#', 'No.', ' '])}{r.randint(1, 99)} {item}"
    return item


# --- romaji, accented Latin ---------------------------------------------------------------

ROMAJI = """Tōkyō Hokkaidō Ōsaka Kyōto Kyūshū Kōbe Tōhoku Kantō Honshū Chūō-ku Ōmiya Ōtsuka Ōita Kōchi Gifu
Shinjuku Ginza Sapporo Sendai Nagoya Fukuoka Naha Shibuya Ueno Asakusa Ōdōri Tōdai-ji Kinkaku-ji Nikkō
Hakone Karuizawa Shōnan Kamakura Ryōgoku Nihonbashi Meguro Setagaya Ōta-ku Kōtō-ku Bunkyō-ku Chūgoku""".split()
ROMAJI_NAMES = """Ryōta Yūko Shōhei Yūki Kōji Yōko Ryūji Shūji Jōji Kyōko Yūta Sōta Yūto Ryō Shō Kōhei Yūna
Satō Itō Katō Saitō Gotō Kudō Endō Andō Mōri Ōno Ōta Kōno Shōji Yūsuke Kyōsuke Jun'ichi Shin'ya""".split()
LATIN_NAMES = """Müller Dvořák Zoë Chloé Renée José François Jürgen Søren Łukasz Šimon Peña Nuñez Ibáñez Gödel
Agnès Anaïs Hélène Léa Noémie Zoé Björn Måns Jörg Günther Ramón Inés Sofía Małgorzata Dvořáková""".split()
LATIN_PLACES = """São_Paulo Zürich München Köln Málaga Besançon Curaçao Kraków İstanbul Ærø Göteborg Reykjavík Tromsø
Ålesund Düsseldorf Lübeck Österreich Genève Montréal Québec Bogotá Perú Medellín Cancún Champs-Élysées""".split()
LATIN_FOOD = """café café_au_lait crème_brûlée crêpe soufflé purée rosé entrée jalapeño crème_fraîche pâte_à_choux
piña_colada pâtisserie sauté flambé Moët brioche_feuilletée tarte_tatin vichyssoise gâteau_chocolat""".split()
LATIN_WORDS = """naïve señor façade résumé déjà_vu piñata château coupé tête-à-tête Ça_va? Grüß_Gott ¿Qué_tal?
¡Hola! Mañana años El_Niño naïve_art Ångström Schrödinger Bézier Frühstück""".split()
LATIN_PLACES, LATIN_FOOD, LATIN_WORDS = (
    [w.replace("_", " ") for w in words] for words in (LATIN_PLACES, LATIN_FOOD, LATIN_WORDS))


def romaji_latin(r):
    ro = r.choice(ROMAJI)
    nm = r.choice(ROMAJI_NAMES)
    ln = r.choice(LATIN_NAMES)
    lp = r.choice(LATIN_PLACES)
    lf = r.choice(LATIN_FOOD)
    forms = [
        ro, ro, nm, nm, ln, lp, lf, r.choice(LATIN_WORDS), r.choice(LATIN_WORDS), f"{ro} {a_time(r)}", f"{ro}駅", f"{ro}旅行",
        f"{ro} → {r.choice(ROMAJI)}", f"{ro}→{r.choice(ROMAJI)} {a_date(r)}", f"Trip to {ro}", f"{nm}さん", f"{nm}くん",
        f"{nm} {a_phone(r)}", f"{nm}'s birthday {a_date(r)}",
        f"Meet {nm} @ {r.choice(['café', 'Café Bleu', 'the station', ro])}",
        f"{lf} {a_price(r)}", f"{lf} {r.randint(2, 6)}個", f"{lf} {r.randint(2, 6)}つ", f"{lf}の材料", f"{lf}で{r.choice(EVENTS)}",
        f"{ln}さん", f"{ln}さん {a_time(r)}", f"{r.choice(['Dr.', 'Mr.', 'Ms.', 'Mrs.'])} {ln} {a_time(r)}",
        f"{ln} {a_phone(r)}",
        f"{ln}さんに{r.choice(['メール', '電話', 'お土産', 'お礼'])}", f"{lp} {a_date(r)}", f"{lp}出張", f"{lp}→{r.choice(LATIN_PLACES)}",
        f"résumé 提出 {a_date(r)}", f"café {r.choice(STATIONS)}", f"{r.choice(STATIONS)}の café", f"Café {ln}",
        f"Hokkaidō {r.choice(['旅行', '出張', 'の実家', '物産展'])}", f"{nm} ({given(r)})",
        f"{r.choice(['Mt.', 'Lake', 'Cape'])} {ro}",
        f"{ro} {r.choice(['Sta.', 'St.', 'Line', 'Exit', 'Hotel', 'Airport'])}", f"{nm} {r.choice(ROMAJI_NAMES)}",
        f"{r.choice(['Dvořák', 'Smetana', 'Fauré', 'Debussy'])} {r.choice(['練習', '楽譜', '発表会', 'Op.', 'No.9'])}",
    ]
    text = r.choice(forms)
    if r.random() < 0.06:
        text = unicodedata.normalize("NFD", text)  # typed on a Mac, or pasted from a file name
    return text


# --- Hangul, simplified Chinese ---------------------------------------------------------------

HANGUL_NAMES = "김민준 이서연 박지훈 최수아 정하은 민수 지영 수빈 예린 하준 서윤 도윤".split()
HANGUL_WORDS = """안녕하세요 감사합니다 서울 부산 제주도 명동 홍대 김치 떡볶이 비빔밥 삼겹살 불고기 사랑해 화이팅
생일축하해 오빠 언니 친구 맛집 여행""".split()
HANGUL_PHRASES = ["생일 축하해", "잘 지내?", "고마워요", "또 만나요", "보고 싶어", "내일 봐요", "맛있어요"]
CHINESE_NAMES = "张伟 王芳 李娜 刘洋 陈静 杨磊 赵丽 黄敏 周杰 吴磊".split()
CHINESE_WORDS = "谢谢 你好 微信 上海 北京 广州 饺子 小笼包".split()


def hangul_chinese(r):
    hn = r.choice(HANGUL_NAMES)
    cn = r.choice(CHINESE_NAMES)
    forms = [
        hn, r.choice(HANGUL_WORDS), r.choice(HANGUL_PHRASES), f"{hn}さん", f"{hn} {a_date(r)}",
        f"{hn}（{r.choice(['ソウル', '韓国', '友達', '先生', '留学生'])}）", f"{hn}さん 誕生日 {a_date(r)}",
        f"{r.choice(HANGUL_PHRASES)} {hn}", f"ソウル 서울 {a_date(r)}", f"{r.choice(['떡볶이', '비빔밥', '삼겹살', '김치'])} 材料",
        f"{r.choice(['김치', '떡볶이'])} {a_price(r)}", f"{r.choice(['명동', '홍대', '부산'])} {r.choice(['맛집', '여행'])}",
        cn, f"{cn}さん", f"{cn} {r.choice(['微信', 'WeChat', a_phone(r)])}", f"{cn}さんへ {r.choice(['谢谢', 'お土産', 'メール'])}",
        f"{r.choice(['上海', '北京', '广州', '台北'])} 出張 {a_date(r)}", f"{cn} {a_time(r)} 打ち合わせ", r.choice(CHINESE_WORDS),
    ]
    return r.choice(forms)


# --- emoji ---------------------------------------------------------------------------------

VS16 = "\ufe0f"
ZWJ = "\u200d"
EMOJI_PLAIN = ["😀", "😊", "😂", "🥲", "😭", "🙏", "👍", "👏", "🎂", "🍰", "🍙", "🍺", "🚃", "🏥", "💊", "📞", "📅",
               "⏰", "🐶", "🐱", "🌸", "🎉", "💦", "✅", "❗", "❓", "⭐", "🔥", "🎁", "✨", "💡", "📝", "🛒", "🍓",
               "🍋", "🍇", "🥚", "🥛", "🍜", "🍣", "🚗", "✈", "🏠", "💰", "💳", "📦", "🗑", "👶", "🎹", "⚽", "☔"]
# Emoji that are text by default and appear both with and without the variation selector.
EMOJI_VS = ["❤", "☀", "✔", "☎", "☺", "✌", "⚠", "‼", "⁉", "♨", "〽", "㊗", "㊙", "Ⓜ", "©", "®", "™", "➡", "⬆",
            "↩", "▶", "◀", "☁", "❄", "✏", "✂", "⏱", "♻", "✉", "⛈", "☕", "⭐", "♥", "♀", "♂", "☑"]
KEYCAPS = [d + VS16 + "\u20e3" for d in "0123456789#*"] + ["1\u20e3", "2\u20e3", "3\u20e3"]
ZWJ_SEQ = [
    ZWJ.join(["👨", "👩", "👧"]), ZWJ.join(["👨", "👩", "👧", "👦"]), ZWJ.join(["👩", "💻"]), ZWJ.join(["🧑", "🍳"]),
    "🏳" + VS16 + ZWJ + "🌈", "🏃" + ZWJ + "♀" + VS16, "🏃" + ZWJ + "♂" + VS16, "❤" + VS16 + ZWJ + "🔥",
    ZWJ.join(["🐕", "🦺"]), ZWJ.join(["👩", "❤" + VS16, "👨"]), ZWJ.join(["👨", "👧", "👦"]), ZWJ.join(["🧑", "🎄"]),
    "👁" + VS16 + ZWJ + "🗨" + VS16, ZWJ.join(["👩🏻", "💼"]), ZWJ.join(["🐈", "⬛"]), ZWJ.join(["😮", "💨"]),
]
SKIN = ["\U0001f3fb", "\U0001f3fc", "\U0001f3fd", "\U0001f3fe", "\U0001f3ff"]
SKIN_BASE = ["👍", "👋", "🙏", "👶", "💪", "👏", "🙆", "🙇", "✌", "👌"]
FLAGS = ["🇯🇵", "🇰🇷", "🇺🇸", "🇹🇼", "🇫🇷", "🇬🇧", "🇩🇪", "🇮🇹", "🇨🇳", "🇹🇭", "🇦🇺",
         "\U0001f3f4\U000e0067\U000e0062\U000e0073\U000e0063\U000e0074\U000e007f"]


def an_emoji(r):
    k = r.random()
    if k < 0.35:
        return r.choice(EMOJI_PLAIN)
    if k < 0.60:
        return r.choice(EMOJI_VS) + (VS16 if r.random() < 0.6 else "")
    if k < 0.70:
        return r.choice(KEYCAPS)
    if k < 0.80:
        return r.choice(ZWJ_SEQ)
    if k < 0.90:
        return r.choice(SKIN_BASE) + r.choice(SKIN)
    return r.choice(FLAGS)


def emoji(r):
    e = an_emoji(r)
    m = plain_memo(r)
    k = r.randrange(20)
    if k < 2:
        return e
    if k < 3:
        return e + an_emoji(r) + (an_emoji(r) if r.random() < 0.5 else "")
    if k < 7:
        return m + r.choice(["", " ", ""]) + e
    if k < 9:
        return e + r.choice(["", " "]) + m
    if k < 10:
        return f"{given(r)}{r.choice(['ちゃん', 'くん', ''])}の誕生日{r.choice(['🎂', '🎉', '🎁'])}" + r.choice(["", " " + a_date(r)])
    if k < 11:
        return f"{r.choice(KEYCAPS)}{r.choice(TASKS)} {r.choice(KEYCAPS)}{r.choice(TASKS)}"
    if k < 12:
        return f"{r.choice(['✔', '✔️', '✅', '☑', '☑️'])}{r.choice(TASKS)}"
    if k < 13:
        return f"{r.choice(['☎', '☎️', '📞'])} {a_phone(r)}"
    if k < 14:
        return f"{given(r)}{r.choice(['❤', '❤️', '♥', '♡', '💕'])}"
    if k < 15:
        return f"{r.choice(FLAGS)} {r.choice(STATIONS + ROMAJI + ['ソウル', 'パリ', 'ロンドン', 'ハワイ', '台湾'])}"
    if k < 16:
        return f"{a_date(r)} {r.choice(EVENTS)} {r.choice(['⚠️', '‼️', '❗', '⚠'])}"
    if k < 17:
        return f"{e}{e}{e}"
    if k < 18:
        return f"{r.choice(['ありがとう', 'おめでとう', 'お疲れさま', 'よろしく', 'がんばれ', '了解', 'OK', 'いいね', 'おやすみ'])}{e}"
    if k < 19:
        return f"{r.choice(SKIN_BASE)}{r.choice(SKIN)} {m}"
    return f"{m} {r.choice(ZWJ_SEQ)}"


# --- rare kanji: variation sequences, kanji outside code page 932 -----------------------------

IVS = "\U000e0100"
RARE = [
    "葛" + IVS + "飾区", "葛" + IVS + "西", "葛" + IVS + "城", "辻" + IVS, "辻" + IVS + "本", "辻" + IVS + "村",
    "辻" + IVS + "堂", "𠮷野", "𠮷田", "𠮷川", "𠮷岡", "髙橋", "髙木", "髙田", "髙島", "山﨑", "﨑山", "宮﨑", "岡﨑",
    "德永", "德田", "\ufa19谷", "\ufa19田", "\ufa19戸", "濵田", "濵口", "\ufa10本", "𩸽の開き", "𩸽", "剝がす",
    "𠮟る", "麴町", "鷗外", "草彅", "𡈽屋", "𣘺本", "渡邊" + "\U000e0102", "渡邉" + "\U000e0101", "齋" + "\U000e0101" + "藤",
    "𠀋", "栁田", "栁沢", "槗本", "𦚰田", "吉" + "\U000e0101" + "野", "鷗", "濱" + "\U000e0103" + "田",
]


def rare_kanji(r):
    name = r.choice(RARE)
    k = r.randrange(8)
    if k < 3:
        return name
    if k < 5:
        return name + r.choice(["さん", "様", "先生", "さんに電話", "様 請求書", "さん宅"])
    if k < 6:
        return f"{name} {given(r)}"
    if k < 7:
        return f"{name} {when(r)}"
    return f"{r.choice(['旧字', '字に注意', '漢字確認', '外字', '異体字'])}：{name}"


# --- pasted from PDFs and web pages ------------------------------------------------------------

PDF_GLYPHS = {unicodedata.normalize("NFKC", chr(c)): chr(c) for c in range(0x2F00, 0x2FD6)}
DOMAINS = ["example.com", "example.co.jp", "example.jp", "example.ne.jp", "example.org", "city.example.lg.jp",
           "shop.example.jp", "www.example.co.jp", "forms.example.com"]
MAIL_DOMAINS = ["example.com", "example.co.jp", "example.jp", "example.ne.jp", "example.org", "mail.example.jp"]
MAIL_USERS = ["tanaka.h", "yuko_sato", "info", "support", "k-suzuki", "ryota.ito", "mama2026", "reservation", "h.takahashi",
              "office", "no-reply", "m.watanabe", "rin.0721", "yamada-taro"]
COMPANIES = ["山田商事", "ヤマダ電器", "さくら不動産", "みどり工務店", "ひかり保険", "あおぞら設計", "東西物産", "北斗印刷"]
FILE_NAMES = ["見積書_ダウンロード.pdf", "プレゼン資料_最終版.pptx", "ガイドブック.pdf", "議事録_0415.docx", "パンフレット.pdf",
              "請求書（ぶどう農園）.pdf", "ビデオ通話の録画.mp4", "子どもの写真/運動会", "バックアップ_データベース.zip",
              "ポスター案_ブルー.png", "ご案内_ボランティア募集.pdf"]
WEB_ITEMS = ["電子レンジ", "加湿器", "炊飯器", "掃除機", "電気毛布", "ランドセル", "ベビーカー", "スニーカー", "腕時計", "イヤホン",
             "モバイルバッテリー", "延長コード", "LED電球", "布団乾燥機", "空気清浄機", "電動歯ブラシ", "ヘアドライヤー"]


def pdf_glyphs(r, text):
    """Some PDF fonts map kanji to Kangxi radicals, and copying keeps them."""
    return "".join(PDF_GLYPHS.get(c, c) if r.random() < 0.7 else c for c in text)


def url(r):
    d = r.choice(DOMAINS)
    path = r.choice(["", "/", "/news/2026/0401.html", "/campaign/spring/", "/?p=1234", "/products/ABC-123",
                     "/faq#q3", "/shop/item?id=4567&color=bk", "/event/2026/entry", "/pdf/guide.pdf", "/watch?v=dQ2kX9_aB"])
    return r.choice(["https://", "https://", "http://", "https://www.", ""]) + d + path


def pasted(r):
    d = lambda n: "".join(str(r.randrange(10)) for _ in range(n))
    item = r.choice(WEB_ITEMS)
    v = an_amount(r)
    forms = [
        url(r), url(r), f"{r.choice(MAIL_USERS)}@{r.choice(MAIL_DOMAINS)}",
        f"メール {r.choice(MAIL_USERS)}@{r.choice(MAIL_DOMAINS)}",
        f"{person(r)} {r.choice(MAIL_USERS)}@{r.choice(MAIL_DOMAINS)}", f"注文番号 {d(3)}-{d(7)}-{d(7)}",
        f"ご注文番号：{d(3)}-{d(7)}-{d(7)}", f"受付番号：{d(8)}", f"予約番号 {r.choice('ABCDEFGHJK')}{d(6)}",
        f"お問い合わせ番号 {d(4)}-{d(4)}-{d(4)}", f"伝票番号 {d(12)}", f"会員番号 {d(10)}",
        f"型番 {r.choice(['KJ', 'SV', 'NA', 'MX', 'HD'])}-{d(2)}{r.choice('ABXZ')}{d(4)}",
        f"品番：{r.choice(['ABC', 'XYZ', 'KT', 'SN'])}-{d(4)}-{r.choice(['BK', 'WH', 'RD', 'NV'])}", f"JAN {d(13)}",
        f"ISBN978-4-{d(2)}-{d(6)}-{d(1)}", f"{item}｜送料無料 {v:,}円", f"【公式】{r.choice(STATIONS)}{r.choice(SPOTS)}",
        f"{item} - {r.choice(['通販', 'ショップ', '価格比較', '口コミ'])}", f"“{r.choice(TASKS)}”", f"“{item}” {v:,}円",
        f"‘{r.choice(EVENTS)}’の件", f"{item}\u00a0{v:,}円", f"送料\u00a0無料", f"{r.choice(EVENTS)} — {r.choice(STATIONS)}",
        f"{item} — {a_date(r)}発売", f"• {r.choice(TASKS)}", f"•{item} •{r.choice(WEB_ITEMS)}", f"{r.choice(TASKS)}…",
        "詳しくはこちら→", "※画像はイメージです", "※価格は税込です", f"●営業時間 10:00～19:00", f"■定休日 毎週{r.choice(WEEK)}曜",
        f"ＴＥＬ：{a_phone(r)}", f"ＴＥＬ　{zen(a_phone(r))}", f"ＦＡＸ {a_phone(r)}", f"受付時間 9:00〜17:00（土日祝除く）",
        f"第{r.choice('ⅠⅡⅢⅣⅤⅥⅦⅧⅨⅩ')}章 p.{r.randint(1, 300)}", f"第{r.choice('ⅠⅡⅢⅣ')}部", f"㈱{r.choice(COMPANIES)}",
        f"（株）{r.choice(COMPANIES)}", f"㈲{r.choice(COMPANIES)}", f"{r.choice(COMPANIES)}㈱ 御中",
        f"㍻{r.randint(1, 31)}年{r.randint(1, 12)}月",
        f"㍼{r.randint(30, 64)}年生まれ", f"身長 {r.randint(90, 185)}㎝", f"{r.randint(1, 9)}㌔ 痩せる", f"{r.randint(2, 30)}㎏",
        f"{r.randint(10, 90)}㎡ {r.randint(1, 4)}LDK", f"№{r.randint(1, 99)}", f"℡ 0120-{d(3)}-{d(3)}",
        f"{r.choice('㊤㊥㊦')} {r.choice(BOOKS)}",
        f"{r.choice('⑪⑫⑬⑭⑮⑯⑰⑱⑲⑳')}{r.choice(TASKS)}", f"{r.choice(['㉑', '㉒', '㉓', '㉔', '㉕'])}{r.choice(TASKS)}",
        f"{r.choice(['㋐', '㋑', '㋒', '㋓', '㋔'])} {r.choice(TASKS)}", f"{r.choice('ⅰⅱⅲⅳⅴ')}) {r.choice(TASKS)}",
        f"ＰＤＦ {r.choice(['印刷', '保存', '送付'])}", f"Ａ４ {r.randint(1, 50)}枚", f"ＵＳＢメモリ {r.choice(['16GB', '３２ＧＢ', '64GB'])}",
        f"{zen(r.choice(['OK', 'NG', 'memo', 'TODO', 'Wi-Fi', 'ID', 'PW']))} {r.choice(TASKS)}",
        zen(f"{r.choice(['pw', 'ID', 'No.'])}{d(6)}"),
        f"{zen(d(3))}-{d(4)}", f"{r.choice(EVENTS)}\u200b{r.choice(TASKS)}",
        f"{item}\u3000{v:,}円\u3000{r.choice(['在庫あり', '残りわずか', '予約受付中'])}",
        f"{r.choice(['Re:', 'RE:', 'Fw:', '件名：'])} {r.choice(EVENTS)}のご案内", "ご確認のほど、よろしくお願いいたします。",
        f"{a_date(r)}（{r.choice(WEEK)}）{a_time(r)}〜 {r.choice(EVENTS)}",
        f"会場：{r.choice(STATIONS)}{r.choice(SPOTS)}（{r.choice(STATIONS)}駅徒歩{r.randint(1, 15)}分）",
        f"参加費　{zen(str(v))}円", f"定員 {r.randint(10, 100)}名（先着順）",
        f"Wi-Fi: {r.choice(['SSID', 'guest', 'home'])}_{d(4)} / PW {d(8)}",
        f"{r.choice(['ｺｰﾄﾞ', 'コード', 'クーポン'])}：{r.choice('ABCDEFGHJKLMN')}{r.choice('PQRSTUVWXYZ')}{d(4)}",
        # A file name copied on a Mac keeps its decomposed kana (か + U+3099).
        unicodedata.normalize("NFD", r.choice(FILE_NAMES)), unicodedata.normalize("NFD", r.choice(FILE_NAMES)),
        f"ﬁle {r.choice(['name', 'size'])}", f"oﬀice {r.choice(['hours', '365'])}",
        f"{r.choice(['Amazon', 'Yahoo', 'Google'])}で{item}",
    ]
    text = r.choice(forms)
    if r.random() < 0.15:
        text = pdf_glyphs(r, text)
    elif r.random() < 0.04:
        text = unicodedata.normalize("NFD", text)
    return text


def pdf_line(r):
    """A line of a Japanese PDF (a school letter, a notice) copied as it comes."""
    line = r.choice([
        "持ち物：上履き、水筒、筆記用具", "日時：令和8年4月10日（金）", "場所：体育館", "※雨天の場合は中止します",
        "提出期限 5月7日（木）まで", "保護者各位", "お弁当をご用意ください", "集合時間 8時30分", "解散予定 15時",
        "参加費 500円（当日徴収）", "お問い合わせは担当 鈴木まで", "申込締切 6月20日", "健康診断のお知らせ",
        "月曜日 燃えるゴミ", "水曜日 資源ゴミ", "第2・第4木曜日 不燃ゴミ", "入金確認後に発送します", "見積書を添付します",
        "請求書在中", "口座振替のご案内", "㋐ 集合場所 ㋑ 持ち物", "⑳ 駐車場の利用について", "① 受付 ② 検温 ③ 着席",
        "料金表 Ⅰ 大人 Ⅱ 子ども", "‐ 以上 ‐", "次回 診察日", "食後に1錠", "1日3回 毎食後", "用法・用量を守って", "水道料金のお知らせ",
    ])
    return pdf_glyphs(r, line)


# --- longer memos: several things in one line, a notice or a mail pasted whole ----------------

LONG_LINES = [
    "【重要】メンテナンスのお知らせ 5月10日（日）2:00～6:00",
    "ご予約ありがとうございます。ご来店日時：6月3日(水) 11:00",
    "お支払い期限：2026年7月31日までにコンビニでお支払いください",
    "次回のご来院は3か月後です。ご予約はお電話で承ります。",
    "※キャンセルの場合は前日までにご連絡ください",
    "ログインID：yamada_t2026　パスワードは別メールでお送りします",
    "Your order #1234-5678 has shipped — arriving Thu, Apr 9",
    "The meeting has been moved to 3:30 p.m. in Room 402 — thanks!",
    "持ち物：上履き・体育着・水筒・ハンカチ・ティッシュ・連絡帳",
    "朝：血圧の薬1錠、昼：胃薬、夜：睡眠導入剤½錠",
    "ゴミの日：月木＝燃える、水＝資源、第２・４金＝不燃",
    "お弁当の日 6/12(金) 7/3(金) ※おにぎりでも可",
    "保育園 着替え2組・オムツ5枚・おしりふき・タオル・エプロン",
    "町内会費 年額3,600円 班長さん（田中さん）に現金で",
    "Wi-Fi SSID: home-5G-AB12 / パスワード: 8f3k-29dq-x7mz",
    "領収書の宛名：㈱さくら不動産 但し書き：お品代として",
    "振込先 みどり銀行 本店営業部 普通 1234567 ｶ)ｻｸﾗﾌﾄﾞｳｻﾝ",
    "検診結果：LDL 142（基準 60〜139）、γ-GTP 58、再検査不要",
    "配達予定日 4月18日（土） 時間帯指定 19時〜21時",
    "メルマガ解除は https://example.jp/unsubscribe から",
    "“Stay hungry, stay foolish.” — 卒業式のスピーチ",
    "『檸檬』梶井基次郎 ― 図書館 返却期限 5/20",
    "くすり：ロキソニン1日3回まで、カロナール頭痛時",
    "Zoom ID 812 3456 7890 / パスコード 482913（10:00〜）",
    "ネットスーパー 配送 明日 10〜12時 ※不在時は置き配",
    "年賀状 2027 出す人：田中家・鈴木家・髙橋先生・莉子ちゃん",
    "おばあちゃんの米寿祝い 9月21日（月・祝）会場：鰻屋 ひさご",
    "法事 一周忌 11/3 10:00 ○○寺 お布施・御供物料・数珠",
    "北海道 2泊3日：札幌→小樽→富良野→旭川（レンタカー）",
    "Hokkaidō trip: Sapporo → Otaru → Furano → Asahikawa",
]


def long_memo(r):
    k = r.randrange(10)
    if k < 3:
        return r.choice(LONG_LINES)
    if k < 7:
        sep = r.choice([" / ", "、", "　", " → ", " ／ ", "・", " | ", "，"])
        while True:
            text = sep.join(plain_memo(r) for _ in range(r.randint(2, 4)))
            if 26 <= len(text) <= 60:
                return text
    if k < 8:
        return f"{a_date(r)} {a_time(r)} {r.choice(EVENTS)} @{r.choice(STATIONS)}駅{r.choice(EXITS)} {person(r)}と"
    if k < 9:
        return f"{person(r)}：{a_phone(r)} / {r.choice(MAIL_USERS)}@{r.choice(MAIL_DOMAINS)}"
    return f"{address(r)} {person(r)}"


# --- ASCII, kana, very short ------------------------------------------------------------------

ASCII_MEMOS = """TODO: call Bob|3pm meeting|buy milk|pick up kids 5:30|dentist 10am|pay rent|Zoom 10:00|gym|check email
renew passport|tax return due 3/15|password hint: dog|flight NH123 8:35|Room 1204|call mom|ok|memo|test|TODO
Mon: gym|Wed: piano|backup PC|update Windows|pay card|return library books|order ink|car insurance|oil change
haircut sat|bday gift for Emma|Lisa's wedding 6/14|email Ken re: invoice|print boarding pass|charge camera
read ch.3|water plants|feed cat|walk dog|trash day|laundry|groceries|bank|post office|vet 4pm|PTA 7pm
ask Tom about the report|standup 9:30|1on1 w/ manager|deploy v2.3.1|fix bug #1234|review PR|lunch w/ Sarah
kaimono|ashita 9ji|gomi dashi|denwa suru|Mtg 14:00-15:00|FYI|ASAP|N/A|TBD|WIP|done|later|???|!!!|...
Wi-Fi pass: 12345678|PIN?|locker 23|parking B2-15|seat 12A|gate 34|JL 501|bus 7:42|train 18:05
milk, eggs, bread|2x AA batteries|A4 paper|USB-C cable|HDMI|SD card 64GB|shampoo|toothpaste|coffee beans
Happy birthday!|Thank you!|Good luck|See you|Congrats|Get well soon|Merry Xmas|Happy New Year 2027
#todo #shopping|@home|50% off|$12.99|5 km run|10,000 steps|3L water|8h sleep|BMI 22.5|120/80
x = 3.14|a+b=c|ver 1.0.2|ID: tanaka01|user: guest|C:\\Users\\memo|D:\\photos\\2026|~/Downloads|/tmp/test
(^_^)|(T_T)|m(_ _)m|orz|\\(^o^)/|(>_<)|:)|:-(|;)|<3|XD|www|lol|OK!|NG|GJ|otsukare|arigato|oyasumi""".replace(
    "\n", "|").split("|")
ENGLISH_NAMES = "Bob Alice Tom Emma Mike Ken Lisa John Sarah Dave Kate Amy Ben Chris Anna Paul Yuki Mei".split()


def ascii_memo(r):
    k = r.randrange(10)
    nm = r.choice(ENGLISH_NAMES)
    h = r.randint(1, 12)
    if k < 5:
        return r.choice(ASCII_MEMOS)
    if k < 6:
        return f"call {nm}" + r.choice(["", f" at {h}", f" {h}pm", " back", " re: invoice", " tmrw"])
    if k < 7:
        what = r.choice(['meeting', 'dentist', 'lunch', 'call', 'interview', 'yoga', 'pickup'])
        return f"{h}{r.choice(['am', 'pm', ':00', ':30'])} {what}" + r.choice(["", f" w/ {nm}", " @office"])
    if k < 8:
        what = r.choice(['milk', 'eggs', 'bread', 'rice', 'tofu', 'natto', 'batteries', 'stamps', 'flowers', 'a gift'])
        return f"buy {what}" + r.choice(["", " x2", " (2)", "!"])
    if k < 9:
        return f"TODO: {r.choice(['email', 'call', 'meet', 'thank', 'pay'])} {nm}"
    return f"{nm} {r.choice(['bday', 'birthday', 'wedding', 'visit', 'flight'])} {r.randint(1, 12)}/{r.randint(1, 28)}"


KANA_WORDS = """かいもの あした あさって きょう ぎゅうにゅう たまご とうふ なっとう ぱん おこめ はいしゃ びょういん
おかあさんにでんわ おとうさん ごみだし しゅくだい おふろそうじ せんたく ありがとう おめでとう たんじょうび
さくら ひなた ゆい あおい ひかり はると そうた めい えま りこ みお つむぎ こはる いちご みかん りんご
ようちえん ほいくえん おむかえ ぷーる ぴあの じゅく えんそく うんどうかい おべんとう すいとう くすり
トイレットペーパー ヨーグルト バナナ パスワード メール スーパー コンビニ クリーニング ドラッグストア
ハンバーグ カレー シチュー ピアノ プール メモ テスト ゴミ シャンプー ティッシュ ランドセル""".split()
KANA_PHRASES = ["あした ごみ", "おかあさんに でんわ", "ばあばに おてがみ", "ぱぱ おそい", "ままへ", "すいとう わすれない",
                "しゅくだい やる", "くすり のむ", "ごはん たく", "おふろ わかす", "ねる まえに はみがき", "あさ 7じ",
                "ぷーるの ひ", "えんそく べんとう", "ぴあの れっすん", "ありがとう ございました", "よろしく おねがいします",
                "おたんじょうび おめでとう", "いってきます", "ただいま", "おやすみ", "がんばって", "まってて", "すぐ かえる"]


def kana(r):
    k = r.randrange(6)
    if k < 3:
        return r.choice(KANA_WORDS)
    if k < 4:
        return r.choice(KANA_PHRASES)
    if k < 5:
        return " ".join(r.sample(KANA_WORDS, 2))
    return r.choice(KANA_WORDS) + r.choice(["！", "!", "？", "〜", "。", " 済", "!!", "！！"])


SHORT = """卵 米 薬 傘 鍵 〆 済 要 雨 了 凛 蓮 湊 葵 紬 澪 楓 茜 杏 梓 詩 朔 暖 柚 萌 雫 碧 翔 颯 莉 侑 苺 餃 丼
ok OK no A B 1 ! ? ？ ！ ① ♪ ★ ☆ 〇 × ○ ◎ ※ 〒 あ ア ｱ ﾒﾓ ﾃｽﾄ 済み 未 仮 急 至急 保留 要確認 要連絡
牛乳 豆腐 納豆 味噌 醤油 胡瓜 韮 蕎麦 饂飩 檸檬 葡萄 苺 薬局 病院 銀行 郵便 電話 返信 会議 帰省 掃除
れん あお りこ ゆい めい うん はい いや まま ぱぱ ねこ いぬ ゴミ メモ パン ジム 塾 歯医者 眼科 床屋
😀 ❤ ❤️ 👍 🎂 🙏 ✔️ ⚠️ 🇯🇵 1️⃣ 👍🏻 ㈱ Ⅳ ㍻ ～ 〜 … ・ ━ ─ ＋ － ％ ＠ ＃ ＆ ＊ 済✔ ◯ 〇〇 △ ▲ □ ■""".split()


def short(r):
    return r.choice(SHORT)


# --- the corpus ------------------------------------------------------------------------------

# How many texts of each kind. Names, shopping and dates come first: they are what a
# memo strip holds most. The sparse kinds (Hangul, rare kanji) stay sparse.
KINDS = [
    ("name", name_alone, 300),
    ("person", with_person, 340),
    ("shopping", shopping, 380),
    ("appointment", appointment, 300),
    ("place", place, 170),
    ("chore", chore, 160),
    ("symbols", symbols, 200),
    ("half-width", half_width, 160),
    ("romaji", romaji_latin, 160),
    ("hangul-chinese", hangul_chinese, 45),
    ("emoji", emoji, 240),
    ("rare-kanji", rare_kanji, 45),
    ("pasted", pasted, 220),
    ("pdf", pdf_line, 20),
    ("long", long_memo, 90),
    ("ascii", ascii_memo, 130),
    ("kana", kana, 110),
    ("short", short, 120),
]


def clean(text):
    """A memo is one line of text: no line breaks, tabs or control characters, no blanks around it."""
    text = text.strip()
    assert text, "empty text"
    for c in text:
        assert unicodedata.category(c) not in ("Cc", "Zl", "Zp", "Cs", "Co", "Cn"), (text, hex(ord(c)))
        assert c != "\ufeff", text
    return text


def generate():
    texts = {}  # insertion-ordered; a set would make the order depend on string hashing
    for kind, make, count in KINDS:
        r = random.Random(f"{SEED}:{kind}")  # a kind's texts do not move when another kind changes
        made, attempts = 0, 0
        while made < count and attempts < count * 60:
            attempts += 1
            text = clean(make(r))
            if text not in texts:
                texts[text] = kind
                made += 1
    order = list(texts)
    random.Random(SEED).shuffle(order)
    return order, texts


# --- the summary -----------------------------------------------------------------------------

def cp932_round_trip(text):
    try:
        return text.encode("cp932").decode("cp932") == text
    except UnicodeEncodeError:
        return False


def cp932_encodable(text):
    try:
        text.encode("cp932")
        return True
    except UnicodeEncodeError:
        return False


def has_half_width_katakana(text):
    return any("\uff61" <= c <= "\uff9f" for c in text)


def has_emoji(text):
    for c in text:
        o = ord(c)
        if 0x1F000 <= o <= 0x1FAFF or c in "\ufe0f\u20e3\u200d":
            return True
        symbol = 0x2190 <= o <= 0x2BFF or c in "\u00a9\u00ae\u203c\u2049\u2122\u24c2\u303d\u3297\u3299"
        if symbol and not cp932_encodable(c):
            return True
    return False


def has_accented_latin(text):
    for c in unicodedata.normalize("NFC", text):
        name = unicodedata.name(c, "")
        if "LATIN" in name and "LIGATURE" not in name and not c.isascii() and not "\uff00" <= c <= "\uffef":
            return True
    return False


def has_hangul(text):
    return any("\uac00" <= c <= "\ud7af" or "\u1100" <= c <= "\u11ff" or "\u3130" <= c <= "\u318f" for c in text)


def summary(texts):
    n = len(texts)
    lengths = [len(t) for t in texts]
    rows = [
        ("texts", n),
        ("representable in cp932 (round trip)", sum(map(cp932_round_trip, texts))),
        ("  encodable one way only (U+301C, U+2212...)", sum(cp932_encodable(t) and not cp932_round_trip(t) for t in texts)),
        ("with a level-2 kanji", sum(map(has_level2_kanji, texts))),
        ("with half-width katakana", sum(map(has_half_width_katakana, texts))),
        ("with emoji", sum(map(has_emoji, texts))),
        ("with accented Latin", sum(map(has_accented_latin, texts))),
        ("with Hangul", sum(map(has_hangul, texts))),
        ("with characters outside cp932", sum(not cp932_encodable(t) for t in texts)),
        ("plain ASCII", sum(t.isascii() for t in texts)),
        ("2 to 25 code points long", sum(2 <= k <= 25 for k in lengths)),
        ("longest (code points)", max(lengths)),
    ]
    width = max(len(label) for label, _ in rows)
    for label, value in rows:
        share = f"  {100 * value / n:5.1f} %" if label not in ("texts", "longest (code points)") else ""
        print(f"{label:<{width}}  {value:5}{share}", file=sys.stderr)


def main():
    order, _ = generate()
    with open(OUT, "w", encoding="utf-8", newline="\n") as f:
        for text in order:
            f.write(text + "\n")
    print(f"wrote {OUT}", file=sys.stderr)
    summary(order)


if __name__ == "__main__":
    main()
