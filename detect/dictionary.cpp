#include "detect/dictionary.h"

#include "engine/cp1251.h"

#include <stdexcept>

namespace vorlex::detect {
namespace {

// The dictionary entries of the string table, word for word. Each entry is one line of
// upper-case words separated by commas; the literals are split only after a comma.
// Entry 1: four-letter words, first part.
constexpr std::string_view kEntry1 =
    "БЕТА,ЕДВА,ЗЛОЙ,ЗОНА,ИГЛА,ИДЕЯ,ИДТИ,НОГУ,МИНИ,ИНЫМ,МАЛО,ШАНС,ВОДЫ,КАДР,ДЕЛА,"
    "КАРТ,КОГО,КОКА,КОНЬ,КРАБ,КРЕМ,ЛИСТ,ЛИТЬ,ЛОРД,ЛУНА,МАТЧ,МАТЬ,МИЛЬ,МИНА,ХОТЬ,"
    "МОЧЬ,НАЕМ,ЦЕНУ,АХТИ,МОЕЙ,ИНОЕ,КОЕЙ,КОЕМ,СЕЛУ,КОИМ,НУЛЬ,ИДЕТ,ОБЕД,ФОРС,ОДНО,"
    "МАЛА,ОЧКИ,ПАКТ,НЕБЕ,ПАРЫ,СПОР,ПИЛА,ПИТЬ,ПИЩА,РЯДУ,СБОЮ,ВАШИ,РУКУ,ТАКТ,СЕРП,"
    "ПОРА,ПОРТ,ВАШЕ,МЕРЫ,ЛИКУ,СВЕТ,ПЫЛЬ,ПЯДЬ,РАДИ,БАЗЕ,РЕЧЬ,РОСТ,РУКА,РЫБА,ДНЕМ,"
    "ПУТИ,СБОЙ,СБОР,СИЛА,СУДЕ,СОЛО,СОЛЬ,СПАД,СТОЛ,СТОП,ДЕЛУ,СУДЯ,СУТЬ,ТАЙМ,ТАРА,"
    "ТАРЫ,БАРЫ,ТЕМП,ТЕЧЬ,ДАМЫ,УГОЛ,ЕЛКУ,УРОК,ИГРЫ,УХОД,ФОНД,РЕКУ,ФУНТ,ХОТЯ,ХУЖЕ,"
    "ЦЕНА,ЦЕПЬ,ЦИКЛ,ЧАСЫ,ЧАША,ЧЕГО,ЧЕРТ,ЧЛЕН,РЯДЕ,ЧУТЬ,ЧЬЕЙ,ЧЬЕМ,ЧЬИМ,ЧЬИХ,ШКАФ,"
    "ШТАБ,ШТАТ,ЩУКА,ЯЗВА,ЯЙЦО,ЯРКО,ЯЩИК,ГОДА,БЫЛО,БЮРО,ЦЕЛЬ,ВОЛИ,НАДО,РАНО,ТОМУ,"
    "ВЫШЕ,СЕТИ,ЭТОМ,ТОГО,ШИРЕ,ЕСТЬ,ЗНАЯ,ДАЖЕ,РИСК,ДЕНЬ,ПОКА,ОДНА,ОДИН,КОЛЬ,СЕБЯ,"
    "ЕСЛИ,КОДЫ,ЛЕТУ,ЭТОЙ,ЭТИМ,ЯЗЫК,ФЛАГ,ЛАЙН,ПЯТЬ,ЧАЩЕ,МЕНЮ,МУХА,СВОЮ,СЕТЬ,ЛИБО,"
    "ЧЕМУ,ТОЖЕ,ВРЯД,БЫЛИ,ВСЕЙ,ИДЕЕ,ЦЕНЫ,СУТИ,ЛИЦО,БАЗЫ,ВИДУ,БАЗА,ПОЛЯ,ЯЩЕР,СНЕГ,"
    "ЦИРК,ТЬМА,ТЬМЫ,ТЬМУ,АЛЫЙ,АЛАЯ,АЛУЮ,ЛЮДИ,СЕНО,СЕНЕ,ШНУР,ВРАГ,ТЕБЯ,ТЕБЕ,МНОЙ,"
    "ТВОЙ,МИЛЯ,МИЛЮ,ЕЛКИ,НАШИ,ТВОЕ,ТВОЯ,НЕБО,КУЧА";

// Entry 5: four-letter words, second part.
constexpr std::string_view kEntry5 =
    "ОКНО,ВИДЕ,ТИПА,ВСЕХ,ОКНЕ,ОКНА,КОМУ,ТЕМА,ДАТА,НАША,ОПЫТ,ТРЕХ,БЛОК,ТИПУ,ВКУС,"
    "БАЙТ,КЛЮЧ,СВОЯ,СВОЙ,ЦВЕТ,НЕГО,МЫШИ,ФАЙЛ,БУКВ,ВАША,ЛИШЬ,ДАЕТ,МНОЮ,ВЕСЬ,ФОНТ,"
    "ТЕЛЕ,ЭТОТ,ДЕЛЕ,ТЕЛО,БЫТЬ,СВОИ,МЕНЯ,ВСЕМ,ВИДА,ОДНУ,МОГУ,БЫЛА,ЦЕЛИ,ЗВУК,ЭТИХ,"
    "СОРТ,САМУ,ДИСК,ТОМА,ПУТЬ,ВВОД,СЧЕТ,РОДА,ПЛЮС,УДАР,ЛИЦЕ,ДНЕЙ,ФАКТ,СРОК,СИЛУ,"
    "НЕМУ,ВИЦЕ,ИМЕЮ,ДЕЛО,МЕРЕ,НАШЕ,ДАТЬ,ВАШУ,СЕБЕ,ВВЕЛ,СЛОВ,ФОРМ,ВАМИ,НИЖЕ,ИНЫХ,"
    "СВОЕ,ЯВНО,КУДА,ЗНАК,ПУСК,УЗЕЛ,УЗЛЕ,ПОЛЕ,ДАТЫ,КОДА,ШАГЕ,ВИДЫ,АЗИИ,ПЛАН,КРАЮ,"
    "ДРУГ,РЯДА,МЕРА,КЛУБ,ПЛОД,СОЮЗ,БРУС,ПОСТ,ДУШУ,ИГРА,БАНК,МОРЕ,ХЛЕБ,РЕЧИ,ЯЙЦА,"
    "БЕРИ,ВВОЗ,ТУДА,БИТЬ,КУРЫ,БОЖЕ,БОЛЬ,БРАК,БРАТ,КУРС,ТЕНЬ,БУДЬ,БУРЯ,РАЗА,ДВУХ,"
    "ДУХЕ,СЕМЬ,ВЕРА,ВЗАД,ВНИЗ,ВОЛЯ,ВРАЧ,ВХОД,КРУГ,БОРТ,ФОТО,САМО,ГОРА,ГРАД,ГРОТ,"
    "ГРУЗ,ДАМА,МИНУ,СЕГО,ДОЛГ,ДОЛЯ,ДОМА,ДУЛО,ДУШИ,ЕВРО,ЕЛКА,ЖИТЬ,РЫБУ,ЗВОН,УЛОВ,"
    "ИМЕН,ДАТЕ,СУММ,УГЛУ,ХОДЕ,МЫШЬ,КЭША,КЭШУ,ОКОН,МИРЕ,РОЛИ,НИМИ,ИТАК,ТРУД,УЧТУ,"
    "ХОЧУ,ФИРМ,ИНОЙ,ИЩЕТ,ТИПЫ,ДВУМ,БАРЕ,ОФИС,ДНЯМ,ЗОНЫ,ФАКС,КНИГ,ТЕМЫ,РАДЫ,УТКА,"
    "ПАРА,ДАСТ,ЯДРА,ТРЕМ,ВЗЯЛ,ЖИВУ,НАМИ,НОЛЬ,КРЫС,БАЗУ,САМИ,ПРИЗ,ЦИФР,ФОНА,ШАГИ,"
    "ВЗЯВ,МЕСТ,ДАЛЬ,ДАТУ,СЛЕД,ДЕМО,НАУК";

// Entry 6: four-letter words, third part.
constexpr std::string_view kEntry6 =
    "КУЧИ,ЛУЧЬ,ЛУЧИ,ЛУЧА,РУКЕ,РУКИ,ВЫТЬ,ВОНЬ,ВОСК,ГОРЕ,ЛИТР,ЛЕНЬ,СУХО,ЛЕТО,ЗИМА,"
    "САНИ,ЛЕСА,НОЖИ,ЛЕВО,ДУРА,СУКА,МУКА,ЛУКА,НОГИ,НОГА,БАГА,ЛИНК,ДОКА,ДОКИ,ДОКУ,"
    "ЗНАЮ,ХРЕН,АОЗТ,АЗОТ,ТРАП,СТОН,СЛОН,ХРОМ,ГРОМ,ХРАМ,СПАМ,ТЕСТ";

// Entry 2: three-letter words.
constexpr std::string_view kEntry2 =
    "АКТ,МИФ,ИГР,БАЛ,БЕГ,БЕЗ,УМА,ВИД,ОБА,БИО,БИС,БИТ,БОГ,ЕГО,БОЙ,БОК,ЧЕМ,ДВА,РАЗ,"
    "ТОЙ,ВАС,ВЕС,КАК,ВНЕ,ХОД,ВОН,ГДЕ,ГОЛ,НОГ,ЭТО,ДАР,ДВЕ,ТРИ,ОТО,СИХ,ДОК,ДОМ,ДУХ,"
    "ЕДА,ЕЩЕ,ЖАР,ВАШ,ЗАЛ,САН,ЗИГ,ДЕЛ,ЗРЯ,ИЗО,ДНЯ,ИМЯ,ИСК,КЕМ,КОД,КОЕ,КОЛ,ЛИК,ЛИС,"
    "ЛУК,ЛУЧ,МЕД,МЕЧ,МЫС,ВСЮ,ТОТ,МНЕ,ЛЕТ,НИЗ,ОСИ,ОБЕ,ПАР,РУК,ПИР,ДНЮ,ПОЛ,РАД,РАК,"
    "РИС,РОГ,РОК,РЯД,ЮГО,НОС,СУД,СУП,СЫН,ТИП,ТОК,ТОН,ФЕЯ,ХИТ,ЧАС,ЧЕЙ,ЧЕК,ЧЕТ,ЧЬЕ,"
    "ЧЬИ,ЧЬЮ,ЧЬЯ,ШАГ,ШЕФ,РОД,ШУМ,ЩИТ,ЩУП,ЭКО,ЭКС,ЭЛЬ,ЯХТ,ДЛЯ,ЧТО,КТО,НЕТ,ВОТ,ТАК,"
    "ПРИ,ТАМ,ОНИ,ОНА,ТУТ,ВАМ,НАМ,САМ,НАШ,МОЙ,ТЕХ,ТЕМ,ТОМ,ГОД,ВСЕ,ИЛИ,НАД,ПОД,ПРО,"
    "ЛАТ,УЖЕ,ДАЙ,БОТ,РИО,ЕЛИ,МОИ,НИХ,ЭТИ,НЕЙ,ЭТА,ЭТУ,БЫЛ,ЕМУ,США,ТЕЛ,НИМ,УМЫ,ЭВМ,"
    "ФОН,КЭШ,НЕМ,МИН,СЕК,ОНО,КОТ,ГАД,СУК,ВОЗ,ДЫМ,РИМ,РОМ,РУБ,РАБ,ПИН,ЛАК,МАК,РОТ,"
    "ДУБ,ЕЛЬ,НАС,СОК,ВЕК,ГАЗ,ТАЗ,ЛАЗ,СОН,БАГ";

// Entry 3: two-letter words.
constexpr std::string_view kEntry3 =
    "СО,ЖЕ,ВО,НО,БЫ,ВЫ,ТО,ОБ,МЫ,НУ,ТЫ,ЛИ,ДО,ЗА,ИЗ,ПО,ОТ,НА,НЕ,НИ,ИХ,ОН,УЖ,ЕЕ,ТЕ";

/// Packs a word of capitals into its letter code; false when a byte is not А..Я.
bool letterCode(std::string_view word, std::uint32_t& code) noexcept {
    code = 0;
    for (char c : word) {
        const std::uint8_t letter = capitalLetterCode(static_cast<std::uint8_t>(c));
        if (letter == kNotALetter)
            return false;
        code = (code << 5) | letter;
    }
    return true;
}

} // namespace

std::string_view dictionaryEntryText(int entry) noexcept {
    switch (entry) {
    case 1:
        return kEntry1;
    case 2:
        return kEntry2;
    case 3:
        return kEntry3;
    case 5:
        return kEntry5;
    case 6:
        return kEntry6;
    default:
        return {};
    }
}

void foldToUpper(std::uint8_t* text) noexcept {
    for (; *text != 0; ++text)
        *text = foldByte(*text);
}

std::string foldedCopy(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(foldByte(static_cast<std::uint8_t>(c)));
    return result;
}

Dictionary::Dictionary()
    : two_(std::size_t{1} << (10 - 6)), three_(std::size_t{1} << (15 - 6)),
      four_(std::size_t{1} << (20 - 6)) {
    // Each entry is split on its own, so no word can be formed across the end of one entry and
    // the start of the next.
    auto load = [this](int entry, int length, std::vector<std::uint64_t>& bits) {
        const std::string text = engine::win1251Literal(dictionaryEntryText(entry));
        std::string_view rest = text;
        while (!rest.empty()) {
            const std::size_t comma = rest.find(',');
            const std::string_view word = rest.substr(0, comma);
            rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
            std::uint32_t code = 0;
            if (static_cast<int>(word.size()) != length || !letterCode(word, code))
                throw std::logic_error("malformed dictionary entry");
            bits[code >> 6] |= std::uint64_t{1} << (code & 63);
            lists_[static_cast<std::size_t>(length - 2)].emplace_back(word);
        }
    };
    load(1, 4, four_);
    load(5, 4, four_);
    load(6, 4, four_);
    load(2, 3, three_);
    load(3, 2, two_);
}

bool Dictionary::contains(std::string_view foldedWord) const noexcept {
    std::uint32_t code = 0;
    if (!letterCode(foldedWord, code))
        return false;
    switch (foldedWord.size()) {
    case 2:
        return containsCode2(code);
    case 3:
        return containsCode3(code);
    case 4:
        return containsCode4(code);
    default:
        return false;
    }
}

const std::vector<std::string>& Dictionary::words(int length) const {
    if (length < 2 || length > 4)
        throw std::out_of_range("dictionary lists hold words of 2 to 4 letters");
    return lists_[static_cast<std::size_t>(length - 2)];
}

} // namespace vorlex::detect
