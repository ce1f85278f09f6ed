#!/usr/bin/env python3
"""Writes resources/Config.txt, the camera-type table that ships next to Orvane.exe.

The file is UTF-16LE with a byte-order mark and CR LF line ends, so that the Windows profile
functions keep it in Unicode. Cameras are exported by default; road hazards are not, so that
a whole country stays under the 6 MB limit of the head unit.
Run: python3 tools/make_config.py
"""
import pathlib

ON, OFF = 1, 0

NAVITEL = [
    (1, "Стационарная камера контроля скорости", "Камера %SPEED%", ON),
    (2, "Камера, встроенная в светофор", "Камера в светофоре %SPEED%", ON),
    (3, "Камера контроля проезда на красный свет", "Камера на светофоре", ON),
    (4, "Камера контроля средней скорости (участок)", "Контроль средней %SPEED%", ON),
    (5, "Мобильная камера, засада", "Мобильная камера %SPEED%", ON),
    (100, "Пешеходный переход", "Пешеходный переход", OFF),
    (101, "Ограничение скорости", "Ограничение %SPEED%", OFF),
    (102, "Искусственная неровность", "Лежачий полицейский", OFF),
    (103, "Плохая дорога", "Плохая дорога", OFF),
    (104, "Опасный поворот", "Опасный поворот", OFF),
    (105, "Опасный перекресток", "Опасный перекресток", OFF),
    (106, "Прочая опасность", "Внимание, опасность", OFF),
]

IGO = [
    (1, "Стационарная камера", "Камера %SPEED%", ON),
    (2, "Камера скорости и светофора", "Камера на светофоре %SPEED%", ON),
    (3, "Камера контроля проезда на красный свет", "Камера на светофоре", ON),
    (4, "Контроль средней скорости (участок)", "Контроль средней %SPEED%", ON),
    (5, "Мобильная камера", "Мобильная камера %SPEED%", ON),
    (6, "Железнодорожный переезд", "Железнодорожный переезд", OFF),
    (7, "Камера на полосе для автобусов", "Камера, автобусная полоса", ON),
    (8, "Аварийно опасный участок", "Аварийный участок", OFF),
    (9, "Школьная зона", "Школа %SPEED%", OFF),
    (10, "Въезд в населенный пункт", "Населенный пункт %SPEED%", OFF),
    (11, "Камера светофора и скорости", "Камера на светофоре %SPEED%", ON),
    (12, "Пункт оплаты проезда", "Пункт оплаты", OFF),
    (13, "Больница", "Больница", OFF),
    (14, "Пожарная часть", "Пожарная часть", OFF),
    (15, "Зона платного въезда", "Платный въезд", OFF),
    (30, "Камера контроля наклеек (виньеток)", "Камера контроля оплаты", ON),
    (31, "Опасный участок", "Опасный участок", OFF),
    (35, "Контроль средней скорости", "Контроль средней %SPEED%", ON),
    # Codes of the Russian iGO exports.
    (192, "Стационарная камера", "Камера %SPEED%", ON),
    (194, "Камера, встроенная в светофор", "Камера в светофоре %SPEED%", ON),
    (68, "Камера контроля проезда на красный свет", "Камера на светофоре", ON),
    (227, "Контроль средней скорости (участок)", "Контроль средней %SPEED%", ON),
    (193, "Мобильная камера", "Мобильная камера %SPEED%", ON),
    (199, "Стационарный или мобильный пост", "Пост ДПС %SPEED%", ON),
    (206, "Пост ДПС", "Пост ДПС", ON),
    (197, "Железнодорожный переезд", "Железнодорожный переезд", OFF),
    (198, "Уступи дорогу", "Уступи дорогу", OFF),
    (200, "Искусственная неровность", "Лежачий полицейский", OFF),
    (201, "Осторожно, дети", "Осторожно, дети", OFF),
    (202, "Опасный поворот", "Опасный поворот", OFF),
    (203, "Тоннель", "Тоннель", OFF),
    (204, "Опасная дорога", "Опасная дорога", OFF),
    (205, "Точка интереса", "Точка интереса", OFF),
    (207, "Плохая дорога", "Плохая дорога", OFF),
]


def section(name, types):
    lines = [f"[{name}]"]
    for i, (type_id, desc, fmt, enabled) in enumerate(types):
        assert len(desc) <= 126 and len(fmt) <= 126
        lines += [f"ID{i}={type_id}", f"Enable{i}={enabled}", f"Desc{i}={desc}", f"Fmt{i}={fmt}"]
    lines.append(f"Count={len(types)}")
    return lines


def main():
    # No blank line between sections: the Windows profile functions under Wine drop blank
    # lines when they save, and the file should stay byte for byte what it was.
    lines = section("Navitel", NAVITEL) + section("IGO", IGO)
    text = "\r\n".join(lines) + "\r\n"
    out = pathlib.Path(__file__).resolve().parent.parent / "resources" / "Config.txt"
    out.write_bytes(b"\xff\xfe" + text.encode("utf-16-le"))


if __name__ == "__main__":
    main()
