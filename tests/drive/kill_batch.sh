#!/usr/bin/env bash
# Kills the driver (kill -9) at a random point of a batch of 1,000 files,
# renames and undos in turn, then starts it again on the same folders
# (--root): the question must give the number of files the batch had moved,
# and Yes must bring every file back to the name it had before that batch,
# with its content, leaving nothing else in the folder.
#   kill_batch.sh DRIVER KILLS [WINE_RUN]
# With WINE_RUN the driver is the Windows build, run on real windows; the
# Wine process is the one killed.
set -u
driver=$1 kills=$2 wine=${3:-}
# In memory where there is a tmpfs: a killed process loses nothing the
# system was given either way, and 1,000 new files a round on a busy disk
# take seconds.
tmp=/dev/shm
[ -d "$tmp" ] && [ -w "$tmp" ] || tmp=${TMPDIR:-/tmp}
root=$(mktemp -d "$tmp/tavik-kill-XXXXXX")
trap 'rm -rf "$root"' EXIT
dir=$root/work/k
exec {never}<> <(:)  # read -t on it sleeps without a process

arg() { if [ -n "$wine" ]; then echo "Z:${1//\//\\}"; else echo "$1"; fi; }
drive() {
  if [ -n "$wine" ]; then
    exec "$wine" "$driver" --backend win32 --root "$(arg "$root")" "$(arg "$1")"
  else
    exec "$driver" --root "$root" "$1"
  fi
}
# Waits while the driver runs and the test holds; false when it ended first.
wait_while() {
  while kill -0 "$pid" 2>/dev/null; do
    eval "$1" || return 0
    read -t 0.001 -u "$never"
  done
  return 1
}
# "name content" of every file in the folder, sorted.
contents() { (cd "$dir" && awk 'FNR == 1 { print FILENAME " " $0 }' * | sort); }

expected_rename=$(for i in $(seq -w 0 999); do echo "f$i.txt f$i"; done | sort)
landed=0 tries=0 failed=0
while [ "$landed" -lt "$kills" ] && [ "$tries" -lt $((kills * 3)) ]; do
  tries=$((tries + 1))
  undo=$((tries % 2 == 0))
  rm -rf "$root/work" "$root/home"
  mkdir -p "$dir" "$root/home"
  for i in $(seq -w 0 999); do printf 'f%s' "$i" >"$dir/f$i.txt"; done
  {
    printf 'start\nanswer folder $W/k\ntoolbar 0\ntoolbar 5\n'
    [ "$undo" = 1 ] && printf 'answer message yes\ntoolbar 3\n'
  } >"$root/batch.tvd"
  at=$((RANDOM % 900 + 1))
  (drive "$root/batch.tvd" >"$root/batch.out" 2>&1) &
  pid=$!
  if [ "$undo" = 1 ]; then
    wait_while '[ ! -e "$dir/999.txt" ]' && wait_while '[ -e "$dir/$at.txt" ]' && kill -9 "$pid"
  else
    wait_while '[ ! -e "$dir/$at.txt" ]' && kill -9 "$pid"
  fi
  wait "$pid" 2>/dev/null
  # The batch ended before the kill: no journal, try again.
  [ -e "$root/home/rename.log" ] || continue
  landed=$((landed + 1))
  shopt -s nullglob
  if [ "$undo" = 1 ]; then
    moved=("$dir"/f*.txt)
    question="上一次撤消没有完成，其中 ${#moved[@]} 个文件已经恢复。\\r\\n是否把这些文件改回撤消之前的名称？"
  else
    moved=("$dir"/[0-9]*.txt)
    question="上一次更名没有完成，其中 ${#moved[@]} 个文件已经改名。\\r\\n是否把这些文件恢复为原来的名称？"
  fi
  shopt -u nullglob
  k=${#moved[@]}
  printf '%s\n' 'answer message yes' start "expect message \"$question\" title 询问： icon info" \
    "expect message \"$k 个文件已恢复原来的名称。\" title Tavik批量更名器 icon info" \
    'expect file $H/rename.log missing' >"$root/check.tvd"
  out=$(drive "$root/check.tvd" 2>&1)
  status=$?
  now=$(contents)
  if [ "$undo" = 1 ]; then
    # Back under the new names of the rename before it, each content once.
    names=$(echo "$now" | awk '$1 ~ /^[0-9]+\.txt$/' | wc -l)
    ok=$([ "$names" = 1000 ] && [ "$(echo "$now" | wc -l)" = 1000 ] &&
      [ "$(echo "$now" | awk '{ print $2 ".txt" }' | sort)" = "$(echo "$expected_rename" | cut -d' ' -f1)" ] && echo yes)
  else
    ok=$([ "$now" = "$expected_rename" ] && echo yes)
  fi
  kind=$([ "$undo" = 1 ] && echo undo || echo rename)
  if [ "$status" = 0 ] && [ "$ok" = yes ]; then
    echo "kill $landed: $kind cut off after $k moves, all back"
  else
    failed=$((failed + 1))
    echo "kill $landed: $kind cut off after $k moves:"
    echo "$out" | grep -v '^X connection' | tail -5
    [ "$ok" = yes ] || echo "  the folder does not hold the 1,000 files as before the batch"
  fi
done
echo "$landed of $tries kills landed inside a batch, $failed failed"
[ "$landed" -ge "$kills" ] && [ "$failed" = 0 ]
