#!/usr/bin/env bash
# Kills the driver (kill -9) at a random point of a batch of 1,000 files,
# renames and undos in turn, and starts it again on the same folders: the
# question must count the files the batch moved, and Yes must bring each one
# back to its name before that batch, with its content, leaving nothing else.
# A rename's way back is cut off too, halfway, before that last start: the
# question then counts the files still renamed, and all come back.
#   kill_batch.sh DRIVER KILLS [WINE_RUN]
# With WINE_RUN: the Windows build on real windows, the Wine process killed.
set -u
export LC_ALL=C
shopt -s dotglob
driver=$1 kills=$2 wine=${3:-}
# A tmpfs where there is one: a killed process loses nothing the system was
# given either way, and 1,000 new files a round on a busy disk take seconds.
tmp=/dev/shm
[ -w $tmp ] || tmp=${TMPDIR:-/tmp}
root=$(mktemp -d "$tmp/tavik-kill-XXXXXX")
trap 'rm -rf "$root"' EXIT
dir=$root/work/k
exec {never}<> <(:)  # read -t on it sleeps without a process
win() { if [ -n "$wine" ]; then echo "Z:${1//\//\\}"; else echo "$1"; fi; }
drive() {
  if [ -n "$wine" ]; then exec "$wine" "$driver" --backend win32 --root "$(win "$root")" "$(win "$1")"; fi
  exec "$driver" --root "$root" "$1"
}
# Waits while the driver runs and the condition holds; false when it ended.
wait_while() {
  while kill -0 $pid 2>/dev/null; do
    eval "$1" || return 0
    read -t 0.001 -u $never
  done
  return 1
}
originals=$(seq -f 'f%03g' 0 999)
landed=0 tries=0 failed=0 twice=0
while [ $landed -lt $kills ] && [ $tries -lt $((kills * 3)) ]; do
  tries=$((tries + 1)) undo=$((tries % 2 == 0)) at=$((RANDOM % 900 + 1))
  rm -rf "$root/work" "$root/home"
  mkdir -p "$dir"
  for f in $originals; do printf %s $f >"$dir/$f.txt"; done
  printf 'start\nanswer folder $W/k\ntoolbar 0\ntoolbar 5\n' >"$root/batch.tvd"
  [ $undo = 1 ] && printf 'answer message yes\ntoolbar 3\n' >>"$root/batch.tvd"
  (drive "$root/batch.tvd" >/dev/null 2>&1) &
  pid=$!
  if [ $undo = 1 ]; then
    wait_while '[ ! -e $dir/999.txt ]' && wait_while '[ -e $dir/$at.txt ]' && kill -9 $pid
  else
    wait_while '[ ! -e $dir/$at.txt ]' && kill -9 $pid
  fi
  wait $pid 2>/dev/null
  [ -e "$root/home/rename.log" ] || continue # the batch ended first
  landed=$((landed + 1)) again=
  k=$(ls "$dir" | grep -vc '^f')
  if [ $undo = 0 ] && [ $k -ge 2 ]; then
    # Latest first: the items from position k - 1 down go back.
    printf 'answer message yes\nstart\n' >"$root/back.tvd"
    (drive "$root/back.tvd" >/dev/null 2>&1) &
    pid=$!
    wait_while "[ -e $dir/$((k / 2)).txt ]" && kill -9 $pid
    wait $pid 2>/dev/null
    if [ -e "$root/home/rename.log" ]; then
      twice=$((twice + 1)) again=", its way back cut off after $((k - $(ls "$dir" | grep -vc '^f'))) moves"
    fi
  fi
  if [ $undo = 1 ]; then
    kind=undo k=$(ls "$dir" | grep -c '^f') names=$(seq -f '%g.txt' 0 999 | sort)
    question="上一次撤消没有完成，其中 $k 个文件已经恢复。\\r\\n是否把这些文件改回撤消之前的名称？"
  else
    kind=rename k=$(ls "$dir" | grep -vc '^f') names=$(echo "$originals" | sed 's/$/.txt/')
    question="上一次更名没有完成，其中 $k 个文件已经改名。\\r\\n是否把这些文件恢复为原来的名称？"
  fi
  printf '%s\n' 'answer message yes' start "expect message \"$question\" title 询问： icon info" \
    "expect message \"$k 个文件已恢复原来的名称。\" title Tavik批量更名器 icon info" \
    'expect file $H/rename.log missing' >"$root/check.tvd"
  # A way back that ended before its kill left nothing to ask about.
  out= status=0
  if [ -e "$root/home/rename.log" ]; then
    out=$(drive "$root/check.tvd" 2>&1)
    status=$?
  fi
  # Each content once, under the names of before; a rename's under its own.
  now=$(cd "$dir" && awk 'FNR == 1 { print FILENAME, $0 }' *)
  if [ $status = 0 ] && [ "$(echo "$now" | cut -d' ' -f1)" = "$names" ] &&
    [ "$(echo "$now" | cut -d' ' -f2 | sort)" = "$originals" ] &&
    { [ $undo = 1 ] || [ -z "$(echo "$now" | awk '$1 != $2 ".txt"')" ]; }; then
    echo "kill $landed: $kind cut off$again, $k moves left, all back"
  else
    failed=$((failed + 1))
    echo "kill $landed: $kind cut off$again, $k moves left, NOT all back"
    echo "$out" | grep -v '^X connection' | tail -4
  fi
done
echo "$landed of $tries kills landed inside a batch ($twice also inside its way back), $failed failed"
[ $landed -ge $kills ] && [ $failed = 0 ] && [ $twice -ge 1 ]
