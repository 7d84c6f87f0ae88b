"""The pilot answers dialogs as scripted, declines what is not scripted and
hands back the program's exit code: every other scenario relies on that."""

CAPTION = "Pilot check"


def run_boxes(s, boxes, answers, **kw):
    return s.run_setup(answers=answers, exe=s.boxes_exe, args=boxes, **kw)


def test_answers_reach_the_program(s):
    # boxes, answers, exit code (the answers' ids as digits), answers logged
    cases = [
        (["yesno:q"], ["yes"], 6, ["yes"]),
        (["yesno:q"], ["no"], 7, ["no"]),
        (["yesno:q"], ["id:6"], 6, ["id:6"]),
        (["okcancel:q", "ok:n"], ["cancel", "ok"], 21, ["cancel", "ok"]),
        (["yesnocancel:q"], ["cancel"], 2, ["cancel"]),
        (["ok:n"], [], 1, ["ok"]),
    ]
    for boxes, answers, code, logged in cases:
        result = run_boxes(s, boxes, answers)
        assert result.exit_code == code, (boxes, answers, result)
        assert [d["answer"] for d in result.dialogs] == logged, (boxes, answers, result)
        assert [d["caption"] for d in result.dialogs] == [CAPTION] * len(boxes), result


def test_unscripted_questions_are_declined_and_flagged(s):
    boxes = ["yesno:a", "okcancel:b", "yesnocancel:c", "ok:d"]
    result = run_boxes(s, boxes, [], allow_unscripted=True)
    assert result.exit_code == 7271, result
    assert [d["text"] for d in result.unscripted_questions] == ["a", "b", "c"], result
    assert [[b["id"] for b in d["buttons"]] for d in result.dialogs] == [
        [6, 7], [1, 2], [6, 7, 2], [1]], result

    try:
        run_boxes(s, ["yesno:a"], [])
    except AssertionError as e:
        assert "without a scripted answer" in str(e), e
    else:
        raise AssertionError("an unscripted question passed")


def test_wrong_answer_text_and_timeout(s):
    try:
        run_boxes(s, ["ok:n"], ["yes"])
    except AssertionError as e:
        assert "no button for answer yes" in str(e), e
    else:
        raise AssertionError("an answer without a button passed")

    # Texts reach the log unchanged through quoting and JSON.
    text = 'Say "hi" to C:\\dir\\ — größer\tnow'
    result = run_boxes(s, ["ok:" + text], [])
    assert [d["text"] for d in result.dialogs] == [text], result

    result = run_boxes(s, ["ok:stay"], ["leave"], timeout=3)
    assert result.timed_out and result.exit_code == 124, result
